#pragma once
// The one error type the core raises and the top level reports.
#include <stdexcept>
#include <string>

namespace qv {

// A failed operation: `what` names the operation (for example "ファイルの複写"),
// `detail` is the system's own text for the failure, `code` its numeric code (0 when none).
class Failure : public std::runtime_error {
public:
    Failure(std::wstring what, std::wstring detail, long code = 0)
        : std::runtime_error("qv::Failure"), what_(std::move(what)), detail_(std::move(detail)), code_(code) {}
    const std::wstring& What() const { return what_; }
    const std::wstring& Detail() const { return detail_; }
    long Code() const { return code_; }

private:
    std::wstring what_;
    std::wstring detail_;
    long code_;
};

}  // namespace qv
