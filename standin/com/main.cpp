// excel-standin.exe: a COM local server registered as "Excel.Application".
//   -Embedding                          started by COM for one instance
//   /running [/hidden] [/busy] [/unregistered] [workbook …]
//                                       the user's own Excel, until told to Quit; with /busy it
//                                       rejects every call, as while a cell is being edited; with
//                                       /unregistered it is not in the running object table and
//                                       its XLMAIN window is shown, as just after the user opened it
//   /list                               print the add-in list and the values behind it
//   /regserver                          register as Excel.Application
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "com/modes.h"
#include "com/regserver.h"
#include "platform/paths.h"

using namespace qv::standin;

namespace {

bool IsSwitch(const std::wstring& arg, const wchar_t* name) {
    return arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-') && qv::paths::EqualNoCase(arg.substr(1), name);
}

void WriteError(const std::wstring& text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Run() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);

    if (!args.empty() && (IsSwitch(args[0], L"Embedding") || IsSwitch(args[0], L"Automation")))
        return com::RunAutomationServer();
    if (args.empty()) {
        WriteError(L"usage: excel-standin.exe [-Embedding | /running [/hidden] [/busy] [/unregistered] [workbook ...] | /list | /regserver]\n");
        return 2;
    }
    if (IsSwitch(args[0], L"regserver")) {
        std::wstring error;
        if (com::RegisterServer(error)) return 0;
        WriteError(error + L"\n");
        return 1;
    }
    if (IsSwitch(args[0], L"list")) return com::PrintList();
    if (IsSwitch(args[0], L"running")) {
        bool hidden = false, busy = false, unregistered = false;
        std::vector<std::wstring> names;
        for (size_t i = 1; i < args.size(); ++i) {
            if (IsSwitch(args[i], L"hidden")) hidden = true;
            else if (IsSwitch(args[i], L"busy")) busy = true;
            else if (IsSwitch(args[i], L"unregistered")) unregistered = true;
            else names.push_back(args[i]);
        }
        return com::RunUsersExcel(hidden, busy, unregistered, names);
    }
    WriteError(L"usage: excel-standin.exe [-Embedding | /running [/hidden] [/busy] [/unregistered] [workbook ...] | /list | /regserver]\n");
    return 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // As in the programs: every later load searches System32 only, never this exe's folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    try {
        return Run();
    } catch (...) {
        return 3;
    }
}
