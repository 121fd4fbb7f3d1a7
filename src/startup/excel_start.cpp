#include "startup/excel_start.h"

#include "startup/texts.h"

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

// The first line. An instance whose visibility cannot be read is left as it is and
// described as running.
std::wstring FirstLine(excel::Application& app, bool reveal) {
    bool hidden = false;
    Try([&] { hidden = !app.Visible(); });
    if (!hidden) return texts::kExcelRunning;
    if (reveal) Try([&] { app.SetVisible(true); });
    return texts::kExcelRunningHidden;
}

// "　name" LF for every open workbook, in the collection's order. A workbook whose name
// cannot be read is left out; a failing enumeration ends the list where it failed.
std::wstring WorkbookLines(excel::Application& app) {
    std::wstring lines;
    std::unique_ptr<excel::Cursor<excel::Workbook>> books;
    Try([&] { books = app.Workbooks(); });
    if (!books) return lines;
    for (;;) {
        std::unique_ptr<excel::Workbook> book;
        Try([&] { book = books->Next(); });
        if (!book) break;
        Try([&] { lines += std::wstring(texts::kWorkbookIndent) + book->Name() + L"\n"; });
    }
    return lines;
}

}  // namespace

std::unique_ptr<excel::Application> AttachRunningExcel(excel::Launcher& launcher) {
    std::unique_ptr<excel::Application> running;
    Try([&] { running = launcher.Attach(); });
    return running;
}

std::wstring DescribeRunningExcel(excel::Application& app, bool reveal) {
    std::wstring text = FirstLine(app, reveal);
    text += std::wstring(L"\n") + texts::kOpenFilesAre + L"\n";
    long count = 0;
    Try([&] { count = app.WorkbookCount(); });
    if (count > 0)
        text += WorkbookLines(app) + texts::kOpenFilesEnd + L"\n\n";
    else
        text += std::wstring(texts::kNoOpenFiles) + L"\n\n";
    text += texts::kPleaseQuitExcel;
    return text;
}

std::optional<std::wstring> OtherExcelRefusal(Services& svc) {
    if (auto running = AttachRunningExcel(svc.excel)) return DescribeRunningExcel(*running, false);
    unsigned long pid = 0;
    Try([&] { pid = svc.excel.OtherExcelProcess(); });
    if (pid == 0) return std::nullopt;
    return texts::kHiddenExcelRunning1 + std::to_wstring(pid) + texts::kHiddenExcelRunning2;
}

std::wstring EarlierExcelAliveText(unsigned long processId) {
    return texts::kEarlierExcelAlive1 + std::to_wstring(processId) + texts::kEarlierExcelAlive2;
}

std::unique_ptr<excel::Application> StartExcel(Services& svc) {
    if (auto refusal = OtherExcelRefusal(svc)) throw StepRefused(RefusalKind::OtherExcel, std::move(*refusal));
    try {
        return svc.excel.Create();
    } catch (const excel::EarlierExcelAlive& e) {
        throw StepRefused(RefusalKind::EarlierExcelAlive, EarlierExcelAliveText(e.ProcessId()));
    }
}

}  // namespace qv
