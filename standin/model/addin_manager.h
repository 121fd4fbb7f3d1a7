#pragma once
// Excel's add-in list as one instance sees it. The list is read from the registry and the two
// default folders when the instance starts; changes stay in memory until the instance ends and
// writes the whole list back over whatever the registry holds then, changed or not. So two
// instances whose lives overlap lose each other's changes, as Excel's do.
//
// Where Excel keeps the list (HKCU\Software\Microsoft\Office\<ver>\Excel):
//   Options\OPEN, OPEN1, …   switched-on add-ins, numbered without gaps;
//   Add-in Manager\<path>    switched-off add-ins outside the default folders (data empty);
//   *.xla in UserLibraryPath and LibraryPath are listed without any entry.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/settings.h"
#include "model/workbooks.h"
#include "platform/services.h"

namespace qv::standin {

// The title in a file's summary properties; empty when it has none or cannot be read.
using TitleReader = std::function<std::wstring(const std::wstring& fullPath)>;

struct Addin {
    std::wstring fullPath;
    std::wstring title;  // the file's title, or its name without extension
    bool installed = false;

    std::wstring Name() const;  // file name
    std::wstring Path() const;  // folder without closing "\"
};

class AddinManager {
public:
    AddinManager(Registry& reg, FileSystem& fs, Drives& drives, Settings settings, TitleReader titles,
                 Workbooks& workbooks, FileHolder* holder = nullptr);

    // Ids of all add-ins in enumeration order: by title without regard to letter case, as
    // Excel's add-in dialog shows them, then by full path. Ids are stable for the instance.
    std::vector<int> Ordered() const;
    const Addin& At(int id) const { return list_.at(static_cast<size_t>(id)); }
    size_t Count() const { return list_.size(); }

    // The first add-in in enumeration order with this title (letter case ignored).
    // Throws Error when there is none.
    int FindByTitle(const std::wstring& title) const;

    // Switching on fails when the file is missing, and loads the add-in: its file is held until
    // it is switched off. Switching off closes the add-in's workbook and lets go of the file.
    void SetInstalled(int id, bool on);

    // AddIns.Add: fails while no workbook is open (an add-in file opened as a workbook does not
    // count) or when the file is missing. `copyFile` is ignored for a file on a fixed disk; for
    // a removable disk or CD, true copies the file into the user's add-in folder (the library
    // folder when there is none) and lists the copy.
    // Returns the add-in, switched off; a file already listed gives its entry.
    int Add(const std::wstring& filename, std::optional<bool> copyFile);

    // Writes the whole list to the registry, as Excel does when its process ends: afterwards the
    // OPEN values and the Add-in Manager entries say exactly what this instance lists, whatever
    // another instance wrote meanwhile. Values that already say so are not written again.
    void Commit();

    bool InDefaultFolder(const Addin& a) const;
    const Settings& settings() const { return settings_; }

private:
    int Find(const std::wstring& fullPath) const;
    int Insert(const std::wstring& fullPath, bool installed);
    std::wstring ResolveBare(const std::wstring& name) const;
    bool WrittenBare(const Addin& a) const;
    void CommitOptions();
    void CommitAddinManager();

    Registry& reg_;
    FileSystem& fs_;
    Drives& drives_;
    Settings settings_;
    TitleReader titles_;
    Workbooks& workbooks_;
    FileHolder* holder_;
    std::map<int, FileHold> loaded_;  // add-ins switched on by this instance, with their files held
    std::wstring userFolder_;     // without closing "\"; empty when Excel has none
    std::wstring libraryFolder_;  // without closing "\"
    std::vector<Addin> list_;
    std::vector<int> installOrder_;  // switched-on add-ins in OPEN order
};

}  // namespace qv::standin
