// quorvelc.exe: the wizard's operations from a command line, for scripts and deployment tools.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "console/console.h"
#include "console/key_wait.h"
#include "console/texts.h"
#include "console/utf8.h"
#include "excel/com/com_excel.h"
#include "excel/com/patience.h"
#include "platform/win32/file_digest.h"
#include "platform/win32/handles.h"
#include "startup/win32/win32_services.h"

namespace {

// A console gets its text through WriteConsoleW, whatever its code page. A pipe or a file gets
// the bytes its reader expects: PowerShell and cmd decode a program's output in the console's
// output code page, and a program without a console is read in the ANSI code page. --utf8
// forces UTF-8.
class StdOutput : public qv::console::Output {
public:
    void UseUtf8() { codePage_ = CP_UTF8; }
    void Out(const std::wstring& text) override { Write(STD_OUTPUT_HANDLE, text); }
    void Err(const std::wstring& text) override { Write(STD_ERROR_HANDLE, text); }

private:
    void Write(DWORD which, const std::wstring& text) {
        HANDLE h = GetStdHandle(which);
        if (h == nullptr || h == INVALID_HANDLE_VALUE || text.empty()) return;
        std::wstring crlf;
        for (wchar_t c : text) {
            if (c == L'\n') crlf += L'\r';
            crlf += c;
        }
        DWORD mode = 0;
        DWORD written = 0;
        if (GetConsoleMode(h, &mode)) {
            WriteConsoleW(h, crlf.data(), static_cast<DWORD>(crlf.size()), &written, nullptr);
            return;
        }
        const std::string bytes = Encode(crlf);
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    std::string Encode(const std::wstring& text) const {
        UINT cp = codePage_;
        if (cp == 0) cp = GetConsoleOutputCP();  // 0 when the process has no console
        if (cp == 0) cp = GetACP();
        if (cp == CP_UTF8) return qv::console::ToUtf8(text);
        // Without best-fit mapping, a character the code page cannot hold becomes "?" rather
        // than a look-alike (a path that reads right but names another file).
        for (DWORD flags : {static_cast<DWORD>(WC_NO_BEST_FIT_CHARS), DWORD{0}}) {
            const int n = WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
            if (n <= 0) continue;  // some code pages take no flags
            std::string bytes(static_cast<size_t>(n), '\0');
            WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
            return bytes;
        }
        return qv::console::ToUtf8(text);
    }

    UINT codePage_ = 0;
};

qv::console::ConsoleFacts ReadConsoleFacts() {
    DWORD list[2];
    DWORD mode = 0;
    qv::console::ConsoleFacts facts;
    facts.hasWindow = GetConsoleWindow() != nullptr;
    facts.processes = GetConsoleProcessList(list, 2);
    facts.inputIsConsole = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
    return facts;
}

// Waits for a key press, at most kKeyWaitMilliseconds.
void WaitForKey(qv::console::Output& out, qv::console::Lang lang) {
    out.Out(qv::console::In(lang, qv::console::texts::kPressAKey));
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    FlushConsoleInputBuffer(in);
    const ULONGLONG deadline = GetTickCount64() + qv::console::kKeyWaitMilliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || WaitForSingleObject(in, static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0) return;
        INPUT_RECORD record;
        DWORD read = 0;
        if (!ReadConsoleInputW(in, &record, 1, &read) || read == 0) return;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
    }
}

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return full;
}

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

// Everything lives here, so that it goes before COM is shut down.
int Run(StdOutput& out) {
    const std::vector<std::wstring> args = Arguments();
    const qv::console::Parsed parsed = qv::console::ParseArguments(args);
    // Also when the arguments are bad, so that the refusal itself reads right.
    if (std::find(args.begin(), args.end(), L"--utf8") != args.end()) out.UseUtf8();
    if (args.empty() && qv::console::WaitsForKey(ReadConsoleFacts())) {
        out.Out(qv::console::HelpText(parsed.options.lang));
        WaitForKey(out, parsed.options.lang);
        return qv::console::kExitBadArguments;
    }
    // Nobody is there to answer an add-in's message: after the timeout the Excel is ended.
    qv::excel::com::LauncherOptions excelOptions;
    excelOptions.askAfterMs = parsed.options.timeoutSeconds * 1000;
    excelOptions.keepWaiting = [](unsigned long) { return false; };
    qv::win32::Win32Services services(std::move(excelOptions));
    qv::console::World world{services.Core(), &qv::win32::SameFileContents, &FullPath, &qv::win32::FileSha256};
    const int code = qv::console::Main(world, args, out);
    // The next Excel, a person's or a script's, must read the list this run's Excel writes as it ends.
    services.AwaitExcel();
    return code;
}

}  // namespace

int wmain() {
    // Every later load, ours or a system DLL's, searches System32 only, never the folder the
    // program was started from (a user's Downloads). DLLs that the loader resolved before this
    // line, the few allowed imports and their own (such as COMCTL32's), are beyond its reach.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    StdOutput out;
    qv::win32::ComInit com;
    qv::excel::com::RetryingMessageFilter retry;
    try {
        return Run(out);
    } catch (...) {
        // Failures of single steps are reported by the commands; this is what escapes them.
        out.Err(L"quorvelc: unexpected failure\n");
        return qv::console::kExitFailedUnchanged;
    }
}
