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
#include "platform/notice.h"
#include "startup/services.h"

namespace qv {

// A step refused before it changed anything: another Excel runs (ExcelRunning,
// HiddenExcelRunning), or the program's earlier one has not ended (EarlierExcelAlive).
class StepRefused : public std::runtime_error {
public:
    explicit StepRefused(Notice notice) : std::runtime_error("qv::StepRefused"), notice_(std::move(notice)) {}
    const Notice& What() const { return notice_; }

private:
    Notice notice_;
};

// The user's running Excel, or nullptr when none runs or the probe itself fails.
std::unique_ptr<excel::Application> AttachRunningExcel(excel::Launcher& launcher);

// The refusal for the user's running Excel: its state and its open workbooks. With `reveal`, a
// hidden instance is made visible first. Every call on the instance may fail on its own: the
// failing call is skipped and the refusal still made.
Notice DescribeRunningExcel(excel::Application& app, bool reveal);

// The refusal when an Excel the program did not start is running. First waits for the program's
// own earlier instances (throws EarlierExcelAlive when one has not ended), so that one still ending
// is not taken for another. Then: ExcelRunning for an Excel in the running object table that is
// none of the program's own, or for a visible one found only by its main window; for a hidden one
// found only by its window, which is closing or an orphan, HiddenExcelRunning once it has not
// ended within kOtherExcelEndWaitMs. The other Excel is neither shown nor asked to quit.
std::optional<Notice> OtherExcelRefusal(Services& svc);

// Starts the program's own invisible Excel for a step. Throws StepRefused while another Excel
// runs, or when an earlier instance of the program's did not end in time; ExcelError when
// Excel itself fails.
std::unique_ptr<excel::Application> StartExcel(Services& svc);

}  // namespace qv
