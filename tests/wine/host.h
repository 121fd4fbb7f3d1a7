#pragma once
// What the Wine tests and tools/bench share, free of GoogleTest: one process launcher (output
// read on threads), registry keys put back as they were, folders removed, and the stand-in's
// processes.
#include <windows.h>
#include <tlhelp32.h>

#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "com/ids.h"

namespace qv::test {

// A program started with arguments; ended by its handle if it still runs when dropped. With
// `capture`, its stdout and stderr go to pipes read to their end on threads of their own, so
// that neither pipe can fill and block it.
class Process {
public:
    // `flags` are CreateProcessW's creation flags (CREATE_NEW_CONSOLE, DETACHED_PROCESS).
    Process(const std::wstring& exe, const std::wstring& args, bool capture = false, DWORD flags = 0) {
        std::wstring line = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        HANDLE outWrite = nullptr, errWrite = nullptr;
        if (capture) {
            SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
            if (!CreatePipe(&outRead_, &outWrite, &sa, 0) || !CreatePipe(&errRead_, &errWrite, &sa, 0)) return;
            SetHandleInformation(outRead_, HANDLE_FLAG_INHERIT, 0);
            SetHandleInformation(errRead_, HANDLE_FLAG_INHERIT, 0);
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdOutput = outWrite;
            si.hStdError = errWrite;
        }
        started_ = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, capture, flags, nullptr, nullptr, &si,
                                  &pi_) != FALSE;
        if (!capture) return;
        CloseHandle(outWrite);  // the child holds its own copies: the pipes end when it does
        CloseHandle(errWrite);
        readers_[0] = std::thread(Drain, outRead_, &out_);
        readers_[1] = std::thread(Drain, errRead_, &err_);
    }
    ~Process() {
        if (started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        JoinReaders();
        for (HANDLE h : {pi_.hThread, pi_.hProcess, outRead_, errRead_})
            if (h) CloseHandle(h);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return pi_.dwProcessId; }
    HANDLE Handle() const { return pi_.hProcess; }
    // The exit code, or nullopt while it still runs after `ms`. Once it has ended, its output
    // has been read to the end.
    std::optional<DWORD> Wait(DWORD ms) {
        if (!started_ || WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return std::nullopt;
        JoinReaders();
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }
    bool Ended(DWORD ms) { return Wait(ms).has_value(); }
    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }

private:
    static void Drain(HANDLE pipe, std::string* to) {
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(pipe, buf, sizeof buf, &got, nullptr) && got) to->append(buf, got);
    }
    void JoinReaders() {
        for (auto& t : readers_)
            if (t.joinable()) t.join();
    }

    PROCESS_INFORMATION pi_{};
    bool started_ = false;
    HANDLE outRead_ = nullptr, errRead_ = nullptr;
    std::string out_, err_;
    std::thread readers_[2];
};

struct Ran {
    std::optional<DWORD> exit;  // nullopt: it did not start or did not end in time
    std::string out, err;
};

// Runs a program to its end (at most `ms`), its output captured.
inline Ran Run(const std::wstring& exe, const std::wstring& args, DWORD ms = 120000, DWORD flags = 0) {
    Process p(exe, args, true, flags);
    Ran r;
    r.exit = p.Wait(ms);
    if (r.exit) r.out = p.Out(), r.err = p.Err();
    return r;
}

// ---- Registry ----

struct RawValue {
    DWORD type = 0;
    std::string bytes;
    bool operator==(const RawValue&) const = default;
};
using RawValues = std::map<std::wstring, RawValue>;

// Every value of a key under HKCU, whatever its type; `existed` tells absent from empty.
inline RawValues ReadRawValues(const std::wstring& key, bool* existed = nullptr) {
    RawValues values;
    HKEY k = nullptr;
    bool open = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
    if (existed) *existed = open;
    if (!open) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLen = 16384, type = 0, size = 0;
        if (RegEnumValueW(k, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::string data(size, '\0');
        nameLen = 16384;
        RegEnumValueW(k, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        data.resize(size);
        values[std::wstring(name, nameLen)] = {type, data};
    }
    RegCloseKey(k);
    return values;
}

// Empties a key of its values (the key itself is kept if it exists).
inline void ClearValues(const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ | KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    for (const auto& [name, v] : ReadRawValues(key)) RegDeleteValueW(k, name.c_str());
    RegCloseKey(k);
}

// A key's values as they were when made; put back exactly (absent stays absent) when dropped.
class SavedKey {
public:
    explicit SavedKey(std::wstring key) : key_(std::move(key)) { values_ = ReadRawValues(key_, &existed_); }
    ~SavedKey() {
        if (!existed_) {
            RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
            return;
        }
        ClearValues(key_);
        HKEY k = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
            ERROR_SUCCESS)
            return;
        for (const auto& [name, v] : values_)
            RegSetValueExW(k, name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.bytes.data()),
                           static_cast<DWORD>(v.bytes.size()));
        RegCloseKey(k);
    }
    SavedKey(const SavedKey&) = delete;
    SavedKey& operator=(const SavedKey&) = delete;

private:
    std::wstring key_;
    bool existed_ = false;
    RawValues values_;
};

// ---- Files ----

// Deletes a folder tree, read-only, hidden and system entries included.
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

// ---- The stand-in's processes ----

inline constexpr const wchar_t* kStandInExeName = L"excel-standin.exe";

inline std::vector<DWORD> StandInProcessIds() {
    std::vector<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W pe;
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe))
        if (lstrcmpiW(pe.szExeFile, kStandInExeName) == 0) ids.push_back(pe.th32ProcessID);
    CloseHandle(snap);
    return ids;
}

inline int CountStandIns() { return static_cast<int>(StandInProcessIds().size()); }

// Waits until exactly `count` stand-ins run; false when they did not within the time.
inline bool WaitForStandInCount(int count, DWORD timeoutMs = 10000) {
    DWORD start = GetTickCount();
    for (;;) {
        if (CountStandIns() == count) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
}

// Posts `message` to every thread of process `id`; true when one of them has a queue to take it.
inline bool PostToThreadsOf(DWORD id, UINT message) {
    bool posted = false;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return false;
    THREADENTRY32 te;
    te.dwSize = sizeof te;
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == id && PostThreadMessageW(te.th32ThreadID, message, 0, 0)) posted = true;
    CloseHandle(snap);
    return posted;
}

// Ends stand-ins that a failed run left behind, so they cannot hold up the next test or
// `wineserver -w`. A server still waiting for its client is first asked to revoke its class
// object and end by itself: killed with it registered, it would leave a dead registration that
// fails the next CoCreateInstance under Wine. Returns how many there were.
inline int EndLeftoverStandIns() {
    std::vector<HANDLE> left;
    std::vector<DWORD> ids;
    for (DWORD id : StandInProcessIds())
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) left.push_back(h), ids.push_back(id);
    const DWORD start = GetTickCount();
    std::vector<bool> asked(left.size(), false);
    for (bool pending = true; pending && GetTickCount() - start < 2000; Sleep(20)) {
        // A process too young to have a message queue has not registered yet; it is asked once it has.
        pending = false;
        for (size_t i = 0; i < left.size(); ++i) {
            if (asked[i] || WaitForSingleObject(left[i], 0) == WAIT_OBJECT_0) continue;
            asked[i] = PostToThreadsOf(ids[i], standin::com::kEndIfUnused);
            pending = pending || !asked[i];
        }
    }
    // A server that was asked ends within moments; one serving a client ignores the request.
    const DWORD asking = GetTickCount();
    for (HANDLE h : left) {
        const DWORD elapsed = GetTickCount() - asking;
        WaitForSingleObject(h, elapsed < 500 ? 500 - elapsed : 0);
        TerminateProcess(h, 1);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
    }
    return static_cast<int>(left.size());
}

}  // namespace qv::test
