#pragma once
// How every step starts the program's own Excel. Excel reads its add-in list when it starts and
// writes all of it back when its process ends, so an Excel that someone else runs meanwhile
// would undo the step when it ends, or hold the add-in's file open. A step therefore starts only
// while no such Excel runs, and only after the program's earlier instances have ended.
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "excel/excel.h"
#include "startup/services.h"

namespace qv {

enum class RefusalKind {
    OtherExcel,          // an Excel the program did not start is running
    EarlierExcelAlive,   // the program's Excel of an earlier step has not ended in time
};

// A step refused before it changed anything. Each front end shows `Text()` in its own way.
class StepRefused : public std::runtime_error {
public:
    StepRefused(RefusalKind kind, std::wstring text)
        : std::runtime_error("qv::StepRefused"), kind_(kind), text_(std::move(text)) {}
    RefusalKind Kind() const { return kind_; }
    const std::wstring& Text() const { return text_; }

private:
    RefusalKind kind_;
    std::wstring text_;
};

// The user's running Excel, or nullptr when none runs or the probe itself fails.
std::unique_ptr<excel::Application> AttachRunningExcel(excel::Launcher& launcher);

// The refusal's text for the user's running Excel: its state and its open workbooks. With
// `reveal`, a hidden instance is made visible first. Every call on the instance may fail on
// its own: the failing call is skipped and the text still made.
std::wstring DescribeRunningExcel(excel::Application& app, bool reveal);

// The refusal's text when an Excel the program did not start is running: start-up's text for
// one in the running object table, the hidden-Excel text for one found only by its main window.
// The other Excel is neither shown nor asked to quit.
std::optional<std::wstring> OtherExcelRefusal(Services& svc);

// "前の処理で使ったExcel（プロセスID：N）…" for the program's earlier instance N.
std::wstring EarlierExcelAliveText(unsigned long processId);

// Starts the program's own invisible Excel for a step. Throws StepRefused while another Excel
// runs, or when an earlier instance of the program's did not end in time; ExcelError when
// Excel itself fails.
std::unique_ptr<excel::Application> StartExcel(Services& svc);

}  // namespace qv
