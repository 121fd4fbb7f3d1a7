#pragma once
// The title and author in a compound document's own summary property set, read from the
// "\005SummaryInformation" stream and decoded in the set's own code page. The wizard's details
// fallback and the Excel stand-in's add-in titles both read them here, so the two agree.
#include <optional>
#include <string>
#include <string_view>

#include "fileinfo/summary_stream.h"

namespace qv::win32 {

// 8-bit text in `codePage` through the system's converter; nullopt when it has no such code page.
std::optional<std::wstring> DecodeCodePage(std::string_view bytes, unsigned codePage);

// Title and author of the compound document at `path`; nullopt when it is no compound document
// or has no summary set. Throws qv::Failure when there is no such file.
std::optional<SummaryText> ReadSummarySet(const std::wstring& path);

// As ReadSummarySet, with empty texts for a file without a summary set.
SummaryText ReadSummary(const std::wstring& path);

}  // namespace qv::win32
