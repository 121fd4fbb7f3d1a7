#pragma once
// The report the top level shows when a failure ends the program.
#include <string>

namespace qv {

class Failure;
namespace excel { class ExcelError; }

// What failed, told in the user's terms. Empty fields are left out of the report.
struct FailureInfo {
    std::wstring operation;  // the operation that failed
    std::wstring detail;     // the system's own text for the failure
    long code = 0;           // HRESULT or error code; 0 when none
    bool operator==(const FailureInfo&) const = default;
};

FailureInfo DescribeFailure(const Failure& f);
FailureInfo DescribeExcelError(const excel::ExcelError& e);

// Describes the exception being handled; call only inside a catch block. Never throws
// for Failure and ExcelError; anything else is told by its own message, if it has one.
FailureInfo DescribeCurrentException();

// The message box text: the header, an empty line, then one line each for the operation,
// the detail and the code (hexadecimal), leaving out the ones that are empty.
std::wstring FailureReportText(const FailureInfo& f);

}  // namespace qv
