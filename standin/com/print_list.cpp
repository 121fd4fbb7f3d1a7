// `/list`: the add-in list as a fresh instance sees it, and the registry values behind it,
// written to standard output as UTF-8 (printf of wide text prints nothing under Wine).
#include "com/modes.h"
#include "com/platform.h"
#include "com/title.h"
#include "model/instance.h"
#include "model/list_report.h"
#include "platform/win32/handles.h"

namespace qv::standin::com {
namespace {

void WriteUtf8(HANDLE out, const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int PrintList() {
    qv::win32::ComInit com;
    HkcuRegistry reg;
    DiskFileSystem fs;
    DiskDrives drives;
    Instance instance(reg, fs, drives, LoadSettings(reg, CurrentUserName()), &ReadFileTitle);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::wstring text;
    for (auto& line : ListReport(instance.addins, reg)) text += line + L"\n";
    WriteUtf8(out, text);
    return 0;
}

}  // namespace qv::standin::com
