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

// Excel's trusted locations: the user's and the policy's (...\Excel\Security\Trusted
// Locations\<any>), each with Path and AllowSubfolders. None when either key sets
// AllLocationsDisabled; one on a server share only when its key sets AllowNetworkLocations.
std::vector<TrustedLocation> TrustedLocations(Registry& reg, int excelVersion);

// Whether `folder` is one of `locations`, or lies below one that allows subfolders; letter
// case is ignored.
bool InTrustedLocation(const std::vector<TrustedLocation>& locations, const std::wstring& folder);

// The command: one item per listed add-in, or per NAME. Exit 1 when something is wrong: a
// missing or unreachable file, a mark from the internet, a disabled item, registry values
// that do not match the add-in's state. A folder outside the trusted locations is told, but
// is not wrong: an unmarked add-in loads from any folder.
void Doctor(World& w, Reporter& r, const Options& o, const excel::Facts& facts);

}  // namespace qv::console
