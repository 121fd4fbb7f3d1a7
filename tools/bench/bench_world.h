#pragma once
// The stand-in's world for one benchmark run: N add-in files, an empty library folder, the
// stand-in's settings, and Excel's own registry entries as the layout asks. Everything it
// changes in the registry is put back when it goes.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "host.h"

namespace qv::bench {

// Where the add-in files lie and how Excel comes to list them; all switched off.
enum class Layout {
    UserFolder,    // in the user add-in folder, listed without any registry entry
    AddinManager,  // in a folder of their own, each an `Add-in Manager` value (full path, empty data)
};

const char* NameOf(Layout layout);

class World {
public:
    // Writes `addins` add-in files, each with a title of its own.
    World(const std::wstring& root, int addins, Layout layout);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // A stand-in setting (HKCU\Software\ExcelStandIn); nullopt removes it, so the default applies.
    static void Set(const wchar_t* name, const std::optional<std::wstring>& value);
    const std::wstring& UserDir() const { return user_; }
    const std::wstring& LibDir() const { return lib_; }

private:
    std::wstring root_, user_, lib_, own_;
    test::SavedKey settings_, options_, manager_;
};

// Every excel-standin.exe process; waits up to `ms` until none is left.
inline bool WaitForNoStandIn(DWORD ms) { return test::WaitForStandInCount(0, ms); }

}  // namespace qv::bench
