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

std::unique_ptr<Instance> Machine::NewInstance() {
    return std::make_unique<Instance>(reg, fs, drives, LoadSettings(reg, CurrentUserName()), &ReadFileTitle);
}

}  // namespace qv::standin::com
