#pragma once
// The Mark of the Web: the text of a file's Zone.Identifier stream, such as
// "[ZoneTransfer]\r\nZoneId=3\r\n". Browsers and mail programs write it; Office blocks the
// macros of a file whose ZoneId is 3 (internet) or more.
#include <optional>
#include <string>

namespace qv {

inline constexpr int kZoneInternet = 3;

// The ZoneId of the [ZoneTransfer] section; nullopt when there is none or it is no number.
// Section and key names are matched without regard to letter case; blanks around them, a
// UTF-8 or UTF-16 byte order mark, CR LF or LF line ends, other sections and keys are all
// taken as they come. The first valid ZoneId wins, as the system's own profile reader does.
std::optional<int> ZoneIdOf(const std::string& text);

// A ZoneId of 3 or more: the file came from the internet or an untrusted zone.
inline bool IsMarkedFromInternet(std::optional<int> zoneId) { return zoneId && *zoneId >= kZoneInternet; }

}  // namespace qv
