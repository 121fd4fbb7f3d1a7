#pragma once
// A file's title and author from its own summary property set (an OLE compound document's
// "\005SummaryInformation" stream), presented under the Japanese details-view headers.
#include <memory>
#include <optional>
#include <string>

#include "fileinfo/details.h"
#include "fileinfo/summary_stream.h"

namespace qv::win32 {

// The summary set of `fileName` in `folder`; nullopt when the file has none. Throws qv::Failure
// when the file is not there.
std::optional<SummaryText> ReadStorageSummary(const std::wstring& folder, const std::wstring& fileName);

// The details of `fileName` in `folder` from its summary property set; empty title and author
// when it has none. Throws qv::Failure when the file is not there.
std::unique_ptr<FileDetails> OpenStorageDetails(const std::wstring& folder, const std::wstring& fileName);

}  // namespace qv::win32
