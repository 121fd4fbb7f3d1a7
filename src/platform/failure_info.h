#pragma once
// A failure as both programs tell it: the operation, the system's own text and the code.
#include <string>

namespace qv {

class Failure;
class ComError;

// What failed, told in the user's terms. Empty fields are left out of a report.
struct FailureInfo {
    std::wstring operation;  // the operation that failed
    std::wstring detail;     // the system's own text for the failure
    long code = 0;           // HRESULT or error code; 0 when none
    bool operator==(const FailureInfo&) const = default;
};

FailureInfo DescribeFailure(const Failure& f);
// The operation names the member called: "Excelの操作 (AddIns.Add)".
FailureInfo DescribeComError(const ComError& e);

// Describes the exception being handled; call only inside a catch block. Never throws
// for Failure and ComError; anything else is told by its own message, if it has one.
FailureInfo DescribeCurrentException();

// An error code as every text shows it: "0x" and eight upper-case hexadecimal digits.
std::wstring HexCode(long code);

}  // namespace qv
