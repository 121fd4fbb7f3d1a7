#pragma once
// A file's title and author from its own summary property set (an OLE compound document's
// "\005SummaryInformation" stream), presented under the Japanese details-view headers.
#include <optional>
#include <string>

#include "fileinfo/summary_stream.h"

namespace qv::win32 {

// The summary set of `fileName` in `folder`; nullopt when the file has none. Throws qv::Failure
// when the file is not there.
std::optional<SummaryText> ReadStorageSummary(const std::wstring& folder, const std::wstring& fileName);

}  // namespace qv::win32
