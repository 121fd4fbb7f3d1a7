#pragma once
// Excel keeps the file of an open workbook and of an add-in it has loaded open, with read
// sharing only, so that nobody can replace or delete it meanwhile.
#include <memory>
#include <string>

namespace qv::standin {

// Lets go of the file when the last copy goes; empty when the file could not be held.
using FileHold = std::shared_ptr<void>;

class FileHolder {
public:
    virtual ~FileHolder() = default;
    virtual FileHold Hold(const std::wstring& path) = 0;
};

}  // namespace qv::standin
