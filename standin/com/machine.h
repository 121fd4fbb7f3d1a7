#pragma once
// What an Excel instance of the stand-in works on: the user's registry, the disk and the
// drives, through the same adapters the wizard uses.
#include <memory>

#include "model/instance.h"
#include "platform/win32/platform.h"

namespace qv::standin::com {

// Holds a file open as Excel does: reading allowed to others, writing and deleting not.
class Win32FileHolder : public FileHolder {
public:
    FileHold Hold(const std::wstring& path) override;
};

struct Machine {
    qv::win32::Win32Registry reg;
    qv::win32::Win32FileSystem fs;
    qv::win32::Win32Drives drives;
    Win32FileHolder holder;

    // The current user's settings.
    Settings CurrentSettings();
    // A new instance with the current user's settings, listing add-ins by their files' titles.
    std::unique_ptr<Instance> NewInstance();
};

}  // namespace qv::standin::com
