#pragma once
// A failed request to the stand-in, carried to the automation face as Excel reports it:
// an error code and a description.
#include <stdexcept>
#include <string>

namespace qv::standin {

// Excel's generic "application-defined or object-defined" failure.
inline constexpr long kErrExcel = static_cast<long>(0x800A03ECL);
// An index or title that names no member of a collection.
inline constexpr long kErrBadIndex = static_cast<long>(0x8002000BL);

class Error : public std::runtime_error {
public:
    Error(long code, std::wstring description)
        : std::runtime_error("qv::standin::Error"), code_(code), description_(std::move(description)) {}
    long Code() const { return code_; }
    const std::wstring& Description() const { return description_; }

private:
    long code_;
    std::wstring description_;
};

}  // namespace qv::standin
