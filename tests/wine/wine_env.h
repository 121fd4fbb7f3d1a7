#pragma once
// What the Wine tests share (beside host.h): a scratch registry key and a scratch folder per test (wiped when
// made and when dropped), the build folder as a Windows path, and the Excel stand-in's process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host.h"

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

// Sets the stand-in's settings for one test and puts the previous values back afterwards.
class StandInSettings {
public:
    StandInSettings() = default;
    ~StandInSettings() {
        for (auto& s : saved_) {
            HKEY k = nullptr;
            if (RegCreateKeyExW(HKEY_CURRENT_USER, kStandInSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                                nullptr) != ERROR_SUCCESS)
                continue;
            if (s.existed)
                RegSetValueExW(k, s.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(s.data.c_str()),
                               static_cast<DWORD>((s.data.size() + 1) * sizeof(wchar_t)));
            else
                RegDeleteValueW(k, s.name.c_str());
            RegCloseKey(k);
        }
    }
    StandInSettings(const StandInSettings&) = delete;
    StandInSettings& operator=(const StandInSettings&) = delete;
    // Sets a REG_SZ value under HKCU\Software\ExcelStandIn; false when that failed.
    bool Set(const std::wstring& name, const std::wstring& data) {
        HKEY k = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kStandInSettingsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &k, nullptr) != ERROR_SUCCESS)
            return false;
        Saved s{name, false, L""};
        wchar_t buf[2048];
        DWORD bytes = sizeof buf - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &bytes) == ERROR_SUCCESS &&
            type == REG_SZ) {
            s.existed = true;
            s.data.assign(buf, bytes / sizeof(wchar_t));
            while (!s.data.empty() && s.data.back() == L'\0') s.data.pop_back();
        }
        bool known = false;
        for (auto& o : saved_) known = known || o.name == name;
        if (!known) saved_.push_back(s);
        LSTATUS r = RegSetValueExW(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(k);
        return r == ERROR_SUCCESS;
    }

private:
    struct Saved {
        std::wstring name;
        bool existed;
        std::wstring data;
    };
    std::vector<Saved> saved_;
};

}  // namespace qv::test
