#pragma once
// The error types the core raises and the top level reports.
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

// A failing call into a COM server: `operation` names the server's work in the user's terms
// (for example "Excelの操作"), `member` the member called, with the HRESULT and the server's
// own description.
class ComError : public std::runtime_error {
public:
    ComError(std::wstring operation, std::wstring member, long hresult, std::wstring description,
             const char* type = "qv::ComError")
        : std::runtime_error(type), operation_(std::move(operation)), member_(std::move(member)),
          hresult_(hresult), description_(std::move(description)) {}
    const std::wstring& Operation() const { return operation_; }
    const std::wstring& Member() const { return member_; }
    long HResult() const { return hresult_; }
    const std::wstring& Description() const { return description_; }

private:
    std::wstring operation_;
    std::wstring member_;
    long hresult_;
    std::wstring description_;
};

}  // namespace qv
