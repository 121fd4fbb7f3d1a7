#pragma once
// Title and author of an add-in file, found by the Japanese header of the details column.
#include <optional>
#include <string>

#include "fileinfo/details.h"
#include "platform/notice.h"

namespace qv {

// Columns looked at: 0 to 60.
inline constexpr int kMaxDetailColumn = 60;

// The file's value under `header`, or empty when no column before the first empty header
// has that header, or when the file's details cannot be read at all.
std::wstring ReadDetail(DetailsProvider& details, const std::wstring& path, const std::wstring& header);

// False when the author detail contains "microsoft" in any letter case; true otherwise,
// also when the file has no readable details.
bool IsNotMicrosoftAddin(DetailsProvider& details, const std::wstring& path);

// The title detail, and the NoTitle warning when there is none (or it cannot be read).
struct FileTitle {
    std::wstring title;
    std::optional<Notice> warning;
};
FileTitle GetAddinFileTitle(DetailsProvider& details, const std::wstring& path);

}  // namespace qv
