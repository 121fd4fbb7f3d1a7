// quorvelc.exe: the wizard's operations from a command line, for scripts and deployment tools.
#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "console/console.h"
#include "console/utf8.h"
#include "excel/com/com_excel.h"
#include "excel/com/patience.h"
#include "platform/win32/handles.h"
#include "startup/win32/win32_services.h"

namespace {

// A console gets its text through WriteConsoleW, whatever its code page; a pipe or a file gets
// UTF-8 bytes.
class StdOutput : public qv::console::Output {
public:
    void Out(const std::wstring& text) override { Write(STD_OUTPUT_HANDLE, text); }
    void Err(const std::wstring& text) override { Write(STD_ERROR_HANDLE, text); }

private:
    static void Write(DWORD which, const std::wstring& text) {
        HANDLE h = GetStdHandle(which);
        if (h == nullptr || h == INVALID_HANDLE_VALUE || text.empty()) return;
        DWORD mode = 0;
        DWORD written = 0;
        if (GetConsoleMode(h, &mode)) {
            std::wstring crlf;
            for (wchar_t c : text) {
                if (c == L'\n') crlf += L'\r';
                crlf += c;
            }
            WriteConsoleW(h, crlf.data(), static_cast<DWORD>(crlf.size()), &written, nullptr);
            return;
        }
        std::string bytes;
        for (char c : qv::console::ToUtf8(text)) {
            if (c == '\n') bytes += '\r';
            bytes += c;
        }
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
};

bool SameContents(const std::wstring& a, const std::wstring& b) {
    std::ifstream fa(std::filesystem::path(a), std::ios::binary);
    std::ifstream fb(std::filesystem::path(b), std::ios::binary);
    if (!fa || !fb) return false;
    return std::equal(std::istreambuf_iterator<char>(fa), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(fb), std::istreambuf_iterator<char>());
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
int Run(qv::console::Output& out) {
    const std::vector<std::wstring> args = Arguments();
    // Nobody is there to answer an add-in's message: after the timeout the Excel is ended.
    qv::excel::com::LauncherOptions excelOptions;
    excelOptions.askAfterMs = qv::console::ParseArguments(args).options.timeoutSeconds * 1000;
    excelOptions.keepWaiting = [](unsigned long) { return false; };
    qv::win32::Win32Services services(std::move(excelOptions));
    qv::console::World world{services.Core(), &SameContents, &FullPath};
    const int code = qv::console::Main(world, args, out);
    // The next Excel, a person's or a script's, must read the list this run's Excel writes as it ends.
    services.AwaitExcel();
    return code;
}

}  // namespace

int wmain() {
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
