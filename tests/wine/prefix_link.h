#pragma once
// A device of the Wine prefix (a drive letter such as "q:", or "unc/server/share" for
// \\server\share) made to lead to a Linux path for the life of the object, as a mapped drive or
// a file server would. Wine starts a Linux program without a process handle to wait on, so each
// command leaves a marker file, which is waited for.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "host.h"
#include "wine_env.h"

namespace qv::test {

class PrefixLink {
public:
    // `target` need not exist: a drive whose share is not connected leads nowhere. With
    // `makeTarget`, the target is made as an empty folder and removed again afterwards.
    PrefixLink(const std::string& device, const std::string& target, bool makeTarget = false) : target_(target) {
        const char* prefix = std::getenv("WINEPREFIX");
        if (!prefix || !*prefix) return;
        link_ = std::string(prefix) + "/dosdevices/" + device;
        const std::string parent = link_.substr(0, link_.rfind('/'));
        made_ = makeTarget;
        ok_ = OnLinux((makeTarget ? "mkdir -p '" + target + "' && " : std::string()) + "mkdir -p '" + parent +
                      "' && ln -sfn '" + target + "' '" + link_ + "'");
    }
    ~PrefixLink() {
        if (ok_) OnLinux("rm -f '" + link_ + "'" + (made_ ? " && rm -rf '" + target_ + "'" : std::string()));
    }
    PrefixLink(const PrefixLink&) = delete;
    PrefixLink& operator=(const PrefixLink&) = delete;
    bool Ok() const { return ok_; }

private:
    static bool OnLinux(const std::string& command) {
        const std::string marker = "/tmp/qv-linux-done-" + std::to_string(GetCurrentProcessId());
        std::wstring line = L"Z:\\bin\\sh -c \"" + Widen(command + " && touch " + marker) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
        for (HANDLE h : {pi.hThread, pi.hProcess})
            if (h) CloseHandle(h);
        const std::wstring done = WindowsPath(marker);
        for (int i = 0; i < 200; ++i, Sleep(50))
            if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) return DeleteFileW(done.c_str()) != FALSE;
        return false;
    }
    std::string link_, target_;
    bool ok_ = false, made_ = false;
};

}  // namespace qv::test
