#include "excel/com/new_process.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

#include "platform/paths.h"
#include "platform/win32/handles.h"

namespace qv::excel::com {

namespace {

// The program of a LocalServer32 command line: a quoted path, or the text up to ".exe", or up to
// the first blank.
std::wstring ProgramOf(const std::wstring& command) {
    if (!command.empty() && command[0] == L'"') {
        size_t end = command.find(L'"', 1);
        return command.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
    }
    std::wstring lower = command;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
    size_t exe = lower.find(L".exe");
    if (exe != std::wstring::npos) return command.substr(0, exe + 4);
    return command.substr(0, command.find(L' '));
}

}  // namespace

std::wstring LocalServerImage(const CLSID& clsid) {
    wchar_t guid[64] = {};
    if (!StringFromGUID2(clsid, guid, 64)) return L"";
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\LocalServer32";
    // A 32-bit Office on 64-bit Windows registers its server in the 32-bit view.
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY raw = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | view, &raw) != ERROR_SUCCESS) continue;
        win32::UniqueHkey k(raw);
        wchar_t text[1024] = {};
        DWORD size = sizeof(text) - sizeof(wchar_t);
        DWORD type = 0;
        if (RegQueryValueExW(raw, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        std::wstring program = ProgramOf(text);
        if (!program.empty()) return paths::FileNamePart(program);
    }
    return L"";
}

std::vector<DWORD> ProcessesOf(const std::wstring& image) {
    std::vector<DWORD> found;
    if (image.empty()) return found;
    HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (raw == INVALID_HANDLE_VALUE) return found;
    win32::UniqueHandle snapshot(raw);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (paths::EqualNoCase(paths::FileNamePart(entry.szExeFile), image)) found.push_back(entry.th32ProcessID);
    }
    return found;
}

DWORD OneNewProcess(const std::wstring& image, const std::vector<DWORD>& before) {
    DWORD found = 0;
    for (DWORD pid : ProcessesOf(image)) {
        if (std::find(before.begin(), before.end(), pid) != before.end()) continue;
        if (found) return 0;
        found = pid;
    }
    return found;
}

}  // namespace qv::excel::com
