#pragma once
// The rules about Excel's listed add-ins, one source for both programs. Each tests a
// ListedAddin in the order written and stops at the first test that decides, so the cheap reads
// come first (Installed, Name, FullName with the file check) and the file's details, the slowest,
// only for an add-in that passed them.
#include <optional>
#include <string>
#include <vector>

#include "fileinfo/details.h"
#include "operations/listed_addin.h"

namespace qv {

// The seven operation modes, in the order of the wizard's buttons.
enum class Mode { Install, SwitchOn, SwitchOff, RemoveActive, RemoveInactive, Tidy, ShowFolder };
inline constexpr int kModeCount = 7;

// Whether mode `m` lists the add-in. The install mode lists files, never a listed add-in.
bool Offers(Mode m, const ListedAddin& a, DetailsProvider& details);

// What keeps a listed add-in from complete removal, tested in this order; nothing when it may go.
enum class RemovalBar { NotXlaName, FileNotThere, Microsofts };
std::optional<RemovalBar> RemovalBarOf(const ListedAddin& a, DetailsProvider& details);

// An entry that tidying removes: its file is known to be gone and its name is a .xla name.
bool IsTidyCandidate(const ListedAddin& a);

// The install plan. The old version of a file named `fileName` is a listed add-in of that file
// name (exact case) whose file is still there; the new file replaces it in its folder.
bool IsOldVersion(const ListedAddin& a, const std::wstring& fileName);
// The file's `title` is taken when another listed add-in carries it (exact case) under a file
// name other than `fileName`.
bool TakesTitle(const ListedAddin& a, const std::wstring& title, const std::wstring& fileName);

// Beside Excel's add-in folders, a new install of `source` may go to the file's own folder when
// it lies on a network share.
std::optional<std::wstring> OwnShareFolder(const std::wstring& source);

// The add-ins a name given by the user names: by full path when it holds "\" (any letter case),
// by file name (any letter case), by title (exact). An add-in matched more than one way is given once.
std::vector<ListedAddin> MatchName(const std::vector<ListedAddin>& list, const std::wstring& name);

}  // namespace qv
