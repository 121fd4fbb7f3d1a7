#include "window/texts.h"
#include "window/wizard.h"

namespace qv {

namespace {

// The full-width form of a printable ASCII character: U+0021..U+007E map to U+FF01..U+FF5E.
wchar_t FullWidth(wchar_t ch) {
    return ch >= 0x21 && ch <= 0x7E ? static_cast<wchar_t>(ch + 0xFEE0) : ch;
}

std::wstring RefusedDriveMessage(const std::wstring& path) {
    std::wstring drive;
    for (wchar_t ch : path.substr(0, 2)) drive += FullWidth(ch);
    return texts::kDriveRefused1 + drive + texts::kDriveRefused2;
}

}  // namespace

void MainWindow::cmdADDIN_Click() {
    Context& c = ctx_;
    BusyScope busy(c.svc.busy);
    excel::Session excel(c.svc.excel.Create());
    const auto chosen = excel->GetOpenFilenames(texts::kOpenFilter);
    // An empty answer chose nothing, like a cancel: the files on offer stay.
    if (chosen && !chosen->empty()) {
        c.st.strSELFILE.assign(1, SelFileRow{});
        c.ui.ListClear();
        long i = 0;
        for (const auto& path : *chosen) {
            ++i;
            c.st.strSELFILE.push_back(SelFileRow{path, false});
            const int row = c.ui.ListAdd(FileNamePart(path));
            c.ui.ListSetItemData(row, i);
        }
    }
    excel.Quit();
}

void MainWindow::cmdFolder_Click() {
    Context& c = ctx_;
    BusyScope busy(c.svc.busy);
    excel::Session excel(c.svc.excel.Create());
    const auto chosen = excel->GetSaveAsFilename(c.ui.ListText());
    if (chosen) {
        const std::wstring& path = *chosen;
        const auto p = path.rfind(L'\\');
        if (c.svc.drives.DriveType(path.substr(0, 3)) == kDriveFixed && p != std::wstring::npos) {
            std::wstring folder = path.substr(0, p);  // the typed file name is dropped
            if (!folder.empty() && folder.back() == L':') folder += L'\\';
            c.ui.SetText(Ctl::cbxFOLDER, folder);
        } else {
            c.svc.msg.Show(RefusedDriveMessage(path), texts::kAppTitle, kMbCritical);
        }
    }
    excel.Quit();
}

}  // namespace qv
