#include "startup/excel_start.h"

#include <vector>

namespace qv {

namespace {

// Runs one call on the user's Excel; a failure of that call is ignored.
template <class F>
void Try(F&& call) {
    try {
        call();
    } catch (...) {
    }
}

// A workbook whose name cannot be read is left out; a failing enumeration ends the list where
// it failed.
std::vector<std::wstring> WorkbookNames(excel::Application& app) {
    std::vector<std::wstring> names;
    std::unique_ptr<excel::Cursor<excel::Workbook>> books;
    Try([&] { books = app.Workbooks(); });
    if (!books) return names;
    for (;;) {
        std::unique_ptr<excel::Workbook> book;
        Try([&] { book = books->Next(); });
        if (!book) break;
        Try([&] { names.push_back(book->Name()); });
    }
    return names;
}

}  // namespace

std::unique_ptr<excel::Application> AttachRunningExcel(excel::Launcher& launcher) {
    std::unique_ptr<excel::Application> running;
    Try([&] { running = launcher.Attach(); });
    return running;
}

Notice DescribeRunningExcel(excel::Application& app, bool reveal) {
    Notice n{Reason::ExcelRunning};
    // An instance whose visibility cannot be read is left as it is and described as running.
    Try([&] { n.hidden = !app.Visible(); });
    if (n.hidden && reveal) Try([&] { app.SetVisible(true); });
    Try([&] { n.workbookCount = app.WorkbookCount(); });
    if (n.workbookCount > 0) n.workbooks = WorkbookNames(app);
    return n;
}

std::optional<Notice> OtherExcelRefusal(Services& svc) {
    // The program's own Excel that is still ending would otherwise be taken for someone else's.
    if (unsigned long alive = svc.excel.WaitForEarlierInstances()) throw excel::EarlierExcelAlive(alive);
    if (auto running = AttachRunningExcel(svc.excel)) {
        bool own = false;
        Try([&] { own = svc.excel.IsOwnInstance(*running); });
        if (!own) return DescribeRunningExcel(*running, false);
    }
    // An Excel known only by its window: a hidden one is closing (Excel keeps the window for its
    // shutdown time) or is an orphan, and is given a while to end; a visible one is the user's,
    // just opened and not yet in the running object table.
    auto find = [&] {
        excel::OtherExcelWindow other;
        Try([&] { other = svc.excel.FindOtherExcelWindow(); });
        return other;
    };
    excel::OtherExcelWindow other = find();
    if (other.processId && !other.visible) {
        bool ended = false;
        Try([&] { ended = svc.excel.WaitForProcessToEnd(other.processId, excel::kOtherExcelEndWaitMs); });
        // One wait: another hidden Excel found after it is refused at once.
        if (ended) other = find();
    }
    if (other.processId == 0) return std::nullopt;
    if (other.visible) return Notice{Reason::ExcelRunning};
    Notice n{Reason::HiddenExcelRunning};
    n.processId = other.processId;
    return n;
}

std::unique_ptr<excel::Application> StartExcel(Services& svc) {
    try {
        if (auto refusal = OtherExcelRefusal(svc)) throw StepRefused(std::move(*refusal));
        return svc.excel.Create();
    } catch (const excel::EarlierExcelAlive& e) {
        Notice n{Reason::EarlierExcelAlive};
        n.processId = e.ProcessId();
        throw StepRefused(std::move(n));
    }
}

}  // namespace qv
