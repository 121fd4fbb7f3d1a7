#pragma once
// quorvelc doctor: a read-only diagnosis of listed add-ins. It reads Excel's list the way
// `list` does and changes nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "console/report.h"
#include "excel/facts.h"
#include "platform/services.h"

namespace qv::console {

// The path one value of Excel's Resiliency\DisabledItems holds. The layout is known from
// public experience, not documented: a DWORD type, the byte lengths of the path and of a
// description as DWORDs, then both texts in UTF-16 (little-endian), each perhaps closed by a
// null. nullopt for anything that does not fit that layout.
std::optional<std::wstring> DisabledItemPath(const std::vector<std::uint8_t>& blob);

struct TrustedLocation {
    std::wstring path;  // expanded, without a closing separator
    bool subfolders = false;
};

// Excel's trusted locations as Excel reads them (...\Excel\Security\Trusted Locations\<any>,
// each with Path and AllowSubfolders): the Cloud Policy's and Group Policy's, and the user's
// own unless the Office-wide policy (...\Common\Security\Trusted Locations) sets
// "Allow User Locations" to 0. None when AllLocationsDisabled is set; a location on the
// network (IsNetworkPath: a share, or a mapped drive letter) only when AllowNetworkLocations
// is, the policy's value deciding for every location where it gives one.
std::vector<TrustedLocation> TrustedLocations(Registry& reg, Drives& drives, int excelVersion);

// Whether `folder` is one of `locations`, or lies below one that allows subfolders; compared
// as the system compares paths.
bool InTrustedLocation(const std::vector<TrustedLocation>& locations, const std::wstring& folder, SystemInfo& sys);

// Excel's security settings that decide whether an add-in's macros run, each from the first key
// that holds it: the Microsoft 365 Cloud Policy (16.0), Group Policy
// (HKCU\Software\Policies\Microsoft\Office\<ver>\Excel\Security), the user's own
// (HKCU\Software\Microsoft\Office\<ver>\Excel\Security).
struct MacroPolicy {
    std::optional<std::uint32_t> vbaWarnings;  // 1 all, 2 with a notice, 3 signed only, 4 none
    bool blockFromInternet = false;            // blockcontentexecutionfrominternet
    bool requireAddinSignature = false;        // RequireAddinSig
    bool disableAllAddins = false;             // DisableAllAddins
};
MacroPolicy ReadMacroPolicy(Registry& reg, int excelVersion);

// What those settings mean for one add-in, as reason codes, in the order Excel applies them.
struct PolicyFindings {
    std::vector<std::string> problems;  // keep the add-in from working
    std::vector<std::string> notes;     // may keep it from working; told, not counted
};
// A file in a trusted location is trusted first. Outside them: VBAWarnings 4 and, for a file
// marked as from the internet, blockcontentexecutionfrominternet and the mark itself are
// problems; VBAWarnings 3 is a note. RequireAddinSig and DisableAllAddins are notes anywhere.
PolicyFindings JudgePolicies(const MacroPolicy& policy, bool trusted, bool marked);

// The command: one item per listed add-in, or per NAME. Exit 1 when something is wrong: a
// missing or unreachable file, a disabled item, registry values that do not match the add-in's
// state, or outside every trusted location a mark from the internet or a macro policy that
// stops it (see JudgePolicies). A folder outside the trusted locations is told, but is not
// wrong in itself: an unmarked add-in loads from any folder.
void Doctor(World& w, Reporter& r, const Options& o, const excel::Facts& facts);

}  // namespace qv::console
