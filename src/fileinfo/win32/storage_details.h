#pragma once
// A file's title and author from its own summary property set (an OLE compound document's
// "\005SummaryInformation" stream), presented under the Japanese details-view headers. Used
// where the shell cannot give a file's details.
#include <memory>
#include <string>
#include <string_view>

#include "fileinfo/details.h"

namespace qv::win32 {

struct SummaryText {
    std::wstring title;
    std::wstring author;
};

// Text of a VT_LPSTR property, stored in the property set's code page `codePage`
// (1200 means UTF-16LE bytes). Trailing NULs are dropped.
std::wstring DecodePropertyText(std::string_view bytes, unsigned codePage);

// Title and author in the bytes of a summary-information stream. Malformed or truncated
// data gives empty texts for what cannot be read.
SummaryText ParseSummaryStream(std::string_view stream);

// Title and author of the compound document at `path`. Throws qv::Failure when there is no
// such file; a file that is no compound document, or has no summary set, gives empty texts.
SummaryText ReadSummary(const std::wstring& path);

// The details of `fileName` in `folder` from its summary property set. Throws qv::Failure
// when the file is not there.
std::unique_ptr<FileDetails> OpenStorageDetails(const std::wstring& folder, const std::wstring& fileName);

class StorageDetailsProvider : public DetailsProvider {
public:
    std::unique_ptr<FileDetails> Open(const std::wstring& folder, const std::wstring& fileName) override {
        return OpenStorageDetails(folder, fileName);
    }
};

}  // namespace qv::win32
