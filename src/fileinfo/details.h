#pragma once
// A file's document details as the desktop's details view shows them: column headers in
// order (ending at the first empty header) and the file's value in a column.
#include <memory>
#include <string>

namespace qv {

class FileDetails {
public:
    virtual ~FileDetails() = default;
    // Header text of column `column`; empty past the last column.
    virtual std::wstring Header(int column) = 0;
    // The file's value in column `column`, as text.
    virtual std::wstring Value(int column) = 0;
};

class DetailsProvider {
public:
    virtual ~DetailsProvider() = default;
    // Opens the details of the file `fileName` in `folder`. Throws when the folder cannot
    // be opened or the file is not in it.
    virtual std::unique_ptr<FileDetails> Open(const std::wstring& folder, const std::wstring& fileName) = 0;
};

}  // namespace qv
