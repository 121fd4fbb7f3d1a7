#pragma once
// The stand-in's world for one benchmark run: N add-in files in a scratch user add-in folder,
// an empty library folder, no registry entries of Excel's own, and the stand-in's settings.
// Everything it changes in the registry is put back when it goes.
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qv::bench {

// The values of one HKCU key as they were; restored exactly (absent stays absent).
class SavedValues {
public:
    explicit SavedValues(std::wstring key);
    ~SavedValues();
    SavedValues(const SavedValues&) = delete;
    SavedValues& operator=(const SavedValues&) = delete;

private:
    struct Raw {
        DWORD type;
        std::vector<BYTE> bytes;
    };
    std::wstring key_;
    bool existed_ = false;
    std::map<std::wstring, Raw> values_;
};

class World {
public:
    // Writes `addins` add-in files, each with a title of its own.
    World(const std::wstring& root, int addins);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // A stand-in setting (HKCU\Software\ExcelStandIn); nullopt removes it, so the default applies.
    static void Set(const wchar_t* name, const std::optional<std::wstring>& value);
    const std::wstring& UserDir() const { return user_; }
    const std::wstring& LibDir() const { return lib_; }

private:
    std::wstring root_, user_, lib_;
    SavedValues settings_, options_, manager_;
};

// Every excel-standin.exe process; waits up to `ms` until none is left.
bool WaitForNoStandIn(DWORD ms);

}  // namespace qv::bench
