#include "window/failure_report.h"

#include "window/texts.h"

namespace qv {

std::wstring FailureReportText(const FailureInfo& f) {
    std::wstring lines;
    if (!f.operation.empty()) lines += std::wstring(L"\n") + texts::kFailureWhat + f.operation;
    if (!f.detail.empty()) lines += std::wstring(L"\n") + texts::kFailureDetail + f.detail;
    if (f.code != 0) lines += std::wstring(L"\n") + texts::kFailureCode + HexCode(f.code);
    std::wstring r = texts::kFailureHeader;
    if (!lines.empty()) r += L"\n" + lines;
    return r;
}

}  // namespace qv
