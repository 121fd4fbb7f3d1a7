#include "com/machine.h"

#include "com/title.h"

namespace qv::standin::com {
namespace {

// The name of the user the process runs as.
std::wstring CurrentUserName() {
    wchar_t name[256];
    DWORD n = 256;
    if (!GetUserNameW(name, &n)) return L"user";
    return name;
}

}  // namespace

FileHold Win32FileHolder::Hold(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return FileHold(h, [](void* handle) { CloseHandle(handle); });
}

Settings Machine::CurrentSettings() { return LoadSettings(reg, CurrentUserName()); }

std::unique_ptr<Instance> Machine::NewInstance() {
    return std::make_unique<Instance>(reg, fs, drives, CurrentSettings(), &ReadFileTitle, &holder);
}

}  // namespace qv::standin::com
