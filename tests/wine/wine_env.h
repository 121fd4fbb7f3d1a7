#pragma once
// What the Wine tests share (beside host.h): a scratch registry key and a scratch folder per test (wiped when
// made and when dropped), the build folder as a Windows path, and the Excel stand-in's process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "host.h"
#include "reg_write.h"

namespace qv::test {

inline constexpr const wchar_t* kStandInClsid = L"{5E0B7C1A-3F2D-4C8B-9A61-7D2E4F8B1C35}";
inline constexpr const wchar_t* kStandInSettingsKey = L"Software\\ExcelStandIn";

inline std::wstring Widen(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

inline std::string Narrow(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// "Suite.Test" of the running test, usable in a key or file name.
inline std::wstring CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "no-test";
    for (char& c : name) if (c == '/' || c == '\\' || c == ':') c = '_';
    return Widen(name);
}

// A Linux path under Wine's Z: drive: /x/y -> Z:\x\y.
inline std::wstring WindowsPath(const std::string& linuxPath) {
    std::wstring w = L"Z:" + Widen(linuxPath);
    for (wchar_t& c : w) if (c == L'/') c = L'\\';
    while (w.size() > 3 && w.back() == L'\\') w.pop_back();
    return w;
}

// The folder of the built programs: QV_BIN_DIR, or the test exe's own folder when unset.
inline std::wstring BinDir() {
    if (const char* env = std::getenv("QV_BIN_DIR"); env && *env) return WindowsPath(env);
    wchar_t buf[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
    std::wstring self(buf, n);
    return self.substr(0, self.find_last_of(L"\\/"));
}

inline std::wstring StandInExe() { return BinDir() + L"\\" + kStandInExeName; }

// A stand-in started by hand, such as `/running /hidden Book1`; ended if it still runs when dropped.
class StandInProcess : public Process {
public:
    explicit StandInProcess(const std::wstring& arguments) : Process(StandInExe(), arguments) {}
};

// HKCU\Software\QuorvelTests\<Suite.Test>, empty at the start of the test.
class ScratchKey {
public:
    ScratchKey() : path_(L"Software\\QuorvelTests\\" + CurrentTestName()) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        HKEY k = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) ==
            ERROR_SUCCESS)
            RegCloseKey(k);
    }
    ~ScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    // The key's path under HKCU, and a subkey's.
    const std::wstring& Path() const { return path_; }
    std::wstring Sub(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// %TEMP%\qv-tests\<Suite.Test>, empty at the start of the test.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t tmp[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, tmp);
        std::wstring root = std::wstring(tmp, n) + L"qv-tests";
        CreateDirectoryW(root.c_str(), nullptr);
        path_ = root + L"\\" + CurrentTestName();
        RemoveTree(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // Without a closing separator.
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    // Writes `bytes` to a file of the folder and gives its path ("" when it failed).
    std::wstring Write(const std::wstring& name, const std::string& bytes) const {
        std::wstring p = File(name);
        HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return std::wstring();
        DWORD written = 0;
        BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        return ok && written == bytes.size() ? p : std::wstring();
    }
    // Every entry of the folder, hidden ones included.
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            std::wstring n = fd.cFileName;
            if (n != L"." && n != L"..") names.push_back(n);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }

private:
    std::wstring path_;
};

// The whole content of a file as bytes; `ok` (when given) tells whether it could be opened.
inline std::string ReadAll(const std::wstring& path, bool* ok = nullptr) {
    std::string data;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (ok) *ok = h != INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) return data;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) data.append(buf, got);
    CloseHandle(h);
    return data;
}

// ---- The Excel stand-in ----

// Empty when the stand-in is registered as Excel.Application; otherwise what is missing.
inline std::wstring StandInRegistrationProblem() {
    CLSID expected, found;
    CLSIDFromString(kStandInClsid, &expected);
    if (FAILED(CLSIDFromProgID(L"Excel.Application", &found)))
        return L"the ProgID Excel.Application is not registered (run scripts/setup.sh, or excel-standin.exe /regserver)";
    if (!IsEqualCLSID(expected, found))
        return L"Excel.Application is registered with another CLSID than the stand-in's";
    std::wstring key = std::wstring(L"CLSID\\") + kStandInClsid + L"\\LocalServer32";
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return L"HKCR\\" + key + L" is missing";
    RegCloseKey(k);
    return std::wstring();
}

// Waits until an Excel (a stand-in started with /running) has registered itself where
// GetActiveObject finds it. COM must be initialised on the calling thread.
inline bool WaitForRunningExcel(DWORD ms = 15000) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Excel.Application", &clsid))) return false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        IUnknown* unk = nullptr;
        if (SUCCEEDED(GetActiveObject(clsid, nullptr, &unk)) && unk) {
            unk->Release();
            return true;
        }
    }
    return false;
}

// The visible message windows (#32770 "Microsoft Excel") of stand-in processes.
inline std::vector<HWND> StandInMessageWindows() {
    struct Found {
        std::vector<DWORD> pids = StandInProcessIds();
        std::vector<HWND> windows;
    } found;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<Found*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (!IsWindowVisible(h) || std::find(f->pids.begin(), f->pids.end(), pid) == f->pids.end()) return TRUE;
            // Only a stand-in's window is read: reading the text of a window of this process
            // waits for its thread, which may be the one held inside the call being watched.
            wchar_t cls[32] = {}, title[64] = {};
            GetClassNameW(h, cls, 32);
            GetWindowTextW(h, title, 64);
            if (!lstrcmpW(cls, L"#32770") && !lstrcmpW(title, L"Microsoft Excel")) f->windows.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

// The clipboard's Unicode text; none when the clipboard cannot be opened or holds no text.
inline std::optional<std::wstring> ClipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

// Sets the stand-in's settings for one test and puts the key's values back as they were afterwards.
class StandInSettings {
public:
    // Sets a REG_SZ value under HKCU\Software\ExcelStandIn; false when that failed.
    bool Set(const std::wstring& name, const std::wstring& data) { return SetRegString(kStandInSettingsKey, name, data); }

private:
    SavedKey saved_{kStandInSettingsKey};
};

}  // namespace qv::test
