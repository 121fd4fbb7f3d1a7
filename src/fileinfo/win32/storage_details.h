#pragma once
// A file's title and author from its own summary property set (an OLE compound document's
// "\005SummaryInformation" stream), presented under the Japanese details-view headers. Used
// where the shell cannot give a file's details.
#include <memory>
#include <string>

#include "fileinfo/details.h"

namespace qv::win32 {

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
