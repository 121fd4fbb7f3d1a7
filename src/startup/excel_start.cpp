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
    if (auto running = AttachRunningExcel(svc.excel)) return DescribeRunningExcel(*running, false);
    Notice n{Reason::HiddenExcelRunning};
    Try([&] { n.processId = svc.excel.OtherExcelProcess(); });
    if (n.processId == 0) return std::nullopt;
    return n;
}

std::unique_ptr<excel::Application> StartExcel(Services& svc) {
    if (auto refusal = OtherExcelRefusal(svc)) throw StepRefused(std::move(*refusal));
    try {
        return svc.excel.Create();
    } catch (const excel::EarlierExcelAlive& e) {
        Notice n{Reason::EarlierExcelAlive};
        n.processId = e.ProcessId();
        throw StepRefused(std::move(n));
    }
}

}  // namespace qv
