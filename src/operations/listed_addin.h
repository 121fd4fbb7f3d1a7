#pragma once
// One entry of Excel's add-in list, read on demand. Every property is a round trip to Excel, so
// a rule reads only what its tests need, in the order it tests them, and nothing twice.
#include <optional>
#include <string>
#include <vector>

#include "excel/excel.h"
#include "startup/services.h"

namespace qv {

class ListedAddin {
public:
    ListedAddin(excel::AddIn& addin, FileSystem& fs) : addin_(&addin), fs_(&fs) {}

    bool Installed() const;
    const std::wstring& Name() const;      // file name with extension
    const std::wstring& FullName() const;
    const std::wstring& Title() const;
    const std::wstring& Path() const;      // folder without a closing separator
    // Whether an ordinary file lies at FullName, is known to be gone, or lies on a drive or share
    // out of reach, which is neither.
    FileState File() const;
    bool FileExists() const { return File() == FileState::Present; }
    bool FileMissing() const { return File() == FileState::Missing; }

    // Reads Title, Name, FullName, Path and Installed, as far as not read yet, and lets the
    // Excel object go: the file checks and the rules may then run after that Excel has ended.
    void ReadAllAndLetGo();

private:
    excel::AddIn& Excel() const;

    excel::AddIn* addin_;
    FileSystem* fs_;
    mutable std::optional<bool> installed_;
    mutable std::optional<FileState> file_;
    mutable std::optional<std::wstring> name_, fullName_, title_, path_;
};

// Every listed add-in, in the list's order, read whole from an Excel instance of its own that
// is told to quit before this returns.
std::vector<ListedAddin> ReadAddinList(Services& svc);

}  // namespace qv
