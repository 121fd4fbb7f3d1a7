#include "model/addin_manager.h"

#include <algorithm>
#include <map>

#include "model/error.h"
#include "model/name_limit.h"
#include "model/open_value.h"
#include "platform/paths.h"

namespace qv::standin {

std::wstring Addin::Name() const { return paths::FileNamePart(fullPath); }
std::wstring Addin::Path() const { return paths::FolderPart(fullPath); }

AddinManager::AddinManager(Registry& reg, FileSystem& fs, Drives& drives, Settings settings, TitleReader titles,
                           Workbooks& workbooks, FileHolder* holder)
    : reg_(reg),
      fs_(fs),
      drives_(drives),
      settings_(std::move(settings)),
      titles_(std::move(titles)),
      workbooks_(workbooks),
      holder_(holder),
      userFolder_(HasUserLibrary(settings_) ? paths::WithoutClosingSeparator(settings_.userLibraryPath) : L""),
      libraryFolder_(paths::WithoutClosingSeparator(settings_.libraryPath)) {
    std::map<int, std::wstring> opens;
    for (auto& v : reg_.StringValues(OptionsKey(settings_)))
        if (auto index = OpenValueIndex(v.name)) opens[*index] = v.data;
    for (auto& [index, data] : opens) {
        OpenValue ov = ParseOpenValue(data);
        if (ov.file.empty()) continue;
        int id = Insert(ov.bare ? ResolveBare(ov.file) : ov.file, true);
        if (std::find(installOrder_.begin(), installOrder_.end(), id) == installOrder_.end())
            installOrder_.push_back(id);
    }
    for (auto& v : reg_.StringValues(AddinManagerKey(settings_)))
        if (v.name.find(L'\\') != std::wstring::npos) Insert(v.name, false);
    for (const auto& folder : {userFolder_, libraryFolder_}) {
        if (folder.empty()) continue;
        for (auto& name : fs_.ListFiles(folder, L"*.xla")) {
            // A listing by pattern also matches longer extensions through short names (a.xlam).
            std::wstring lower = paths::FoldCase(name);
            if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, L".xla") == 0)
                Insert(folder + L"\\" + name, false);
        }
    }
}

std::wstring AddinManager::ResolveBare(const std::wstring& name) const {
    if (!userFolder_.empty() && fs_.FileExists(userFolder_ + L"\\" + name)) return userFolder_ + L"\\" + name;
    return libraryFolder_ + L"\\" + name;
}

int AddinManager::Find(const std::wstring& fullPath) const {
    for (size_t i = 0; i < list_.size(); ++i)
        if (paths::EqualNoCase(list_[i].fullPath, fullPath)) return static_cast<int>(i);
    return -1;
}

int AddinManager::Insert(const std::wstring& fullPath, bool installed) {
    int id = Find(fullPath);
    if (id >= 0) {
        list_[static_cast<size_t>(id)].installed = list_[static_cast<size_t>(id)].installed || installed;
        return id;
    }
    Addin a;
    a.fullPath = fullPath;
    a.installed = installed;
    if (fs_.FileExists(fullPath)) a.title = titles_(fullPath);
    if (a.title.empty()) a.title = paths::StemPart(fullPath);
    list_.push_back(std::move(a));
    return static_cast<int>(list_.size()) - 1;
}

std::vector<int> AddinManager::Ordered() const {
    std::vector<int> ids(list_.size());
    for (size_t i = 0; i < ids.size(); ++i) ids[i] = static_cast<int>(i);
    std::stable_sort(ids.begin(), ids.end(), [&](int a, int b) {
        const Addin& x = At(a);
        const Addin& y = At(b);
        auto tx = paths::FoldCase(x.title), ty = paths::FoldCase(y.title);
        if (tx != ty) return tx < ty;
        return paths::FoldCase(x.fullPath) < paths::FoldCase(y.fullPath);
    });
    return ids;
}

int AddinManager::FindByTitle(const std::wstring& title) const {
    for (int id : Ordered())
        if (paths::EqualNoCase(At(id).title, title)) return id;
    throw Error(kErrBadIndex, L"Invalid index: no add-in has the title \"" + title + L"\".");
}

void AddinManager::SetInstalled(int id, bool on) {
    Addin& a = list_.at(static_cast<size_t>(id));
    if (on) {
        if (a.installed) return;
        if (!fs_.FileExists(a.fullPath))
            throw Error(kErrExcel, L"Unable to set the Installed property of the AddIn class: cannot find add-in '" +
                                       a.fullPath + L"'.");
        a.installed = true;
        if (holder_) loaded_[id] = holder_->Hold(a.fullPath);
        installOrder_.push_back(id);
        return;
    }
    workbooks_.CloseFile(a.fullPath);
    loaded_.erase(id);
    if (!a.installed) return;
    a.installed = false;
    std::erase(installOrder_, id);
}

int AddinManager::Add(const std::wstring& filename, std::optional<bool> copyFile) {
    if (!workbooks_.AnyOpen())
        throw Error(kErrExcel, L"Unable to get the Add property of the AddIns class");
    RequireOpenableName(filename);
    if (!fs_.FileExists(filename))
        throw Error(kErrExcel, L"Add method of AddIns class failed: '" + filename + L"' could not be found.");
    std::wstring path = filename;
    int drive = drives_.DriveType(paths::DriveRoot(filename));
    const int kRemovable = 2, kCdRom = 5;
    if ((drive == kRemovable || drive == kCdRom) && copyFile.value_or(false)) {
        std::wstring folder = userFolder_.empty() ? libraryFolder_ : userFolder_;
        path = folder + L"\\" + paths::FileNamePart(filename);
        if (!paths::EqualNoCase(path, filename)) fs_.CopyReplace(filename, path, ZoneMark::KeepSource);
    }
    int existing = Find(path);
    if (existing >= 0) return existing;
    return Insert(path, false);
}

bool AddinManager::InDefaultFolder(const Addin& a) const {
    std::wstring folder = a.Path();
    return (!userFolder_.empty() && paths::EqualNoCase(folder, userFolder_)) ||
           paths::EqualNoCase(folder, libraryFolder_);
}

// A bare name is written only when reading it back finds the same file.
bool AddinManager::WrittenBare(const Addin& a) const {
    return InDefaultFolder(a) && paths::EqualNoCase(ResolveBare(a.Name()), a.fullPath);
}

// The whole list, changed or not, over whatever the registry holds now: what another instance
// wrote meanwhile is lost, as with Excel. Values that already say the same are left untouched.
void AddinManager::Commit() {
    CommitOptions();
    CommitAddinManager();
}

void AddinManager::CommitOptions() {
    const std::wstring key = OptionsKey(settings_);
    std::map<int, RegValue> current;
    for (auto& v : reg_.StringValues(key))
        if (auto index = OpenValueIndex(v.name)) current[*index] = v;
    int n = static_cast<int>(installOrder_.size());
    for (int k = 0; k < n; ++k) {
        const Addin& a = At(installOrder_[static_cast<size_t>(k)]);
        std::wstring data = FormatOpenValue(a.fullPath, WrittenBare(a));
        auto it = current.find(k);
        if (it == current.end())
            reg_.SetString(key, OpenValueName(k), data);
        else if (it->second.data != data)
            reg_.SetString(key, it->second.name, data);
    }
    for (auto& [index, v] : current)
        if (index >= n) reg_.DeleteValue(key, v.name);
}

void AddinManager::CommitAddinManager() {
    const std::wstring key = AddinManagerKey(settings_);
    auto wanted = [&](const Addin& a) { return !a.installed && !InDefaultFolder(a); };
    auto current = reg_.StringValues(key);
    // An entry for a file this instance does not list was written after it started: it goes.
    for (auto& v : current) {
        if (v.name.find(L'\\') == std::wstring::npos) continue;  // no add-in entry: not read, not written
        int id = Find(v.name);
        if (id < 0 || !wanted(At(id))) reg_.DeleteValue(key, v.name);
    }
    for (auto& a : list_) {
        if (!wanted(a)) continue;
        bool present = std::any_of(current.begin(), current.end(),
                                   [&](const RegValue& v) { return paths::EqualNoCase(v.name, a.fullPath); });
        if (!present) reg_.SetString(key, a.fullPath, L"");
    }
}

}  // namespace qv::standin
