#include "startup/excel_start.h"
#include "window/modes.h"

#include "window/texts.h"

namespace qv {

namespace {

struct ModeTexts {
    const wchar_t* listHeader;
    const wchar_t* nextTip;
    const wchar_t* steps;
};

constexpr ModeTexts kModes[kModeCount] = {
    {texts::kListHeader0, texts::kNextTip0, texts::kSteps0},
    {texts::kListHeader1, texts::kNextTip1, texts::kSteps1},
    {texts::kListHeader2, texts::kNextTip2, texts::kSteps2},
    {texts::kListHeader3, texts::kNextTip3, texts::kSteps3},
    {texts::kListHeader4, texts::kNextTip4, texts::kSteps4},
    {texts::kListHeader5, texts::kNextTip5, texts::kSteps5},
    {texts::kListHeader6, texts::kNextTip6, texts::kSteps6},
};

void ResetControls(Controls& ui, Mode m) {
    ui.SetVisible(Ctl::cmdFolder, false);
    ui.SetText(Ctl::lblMSG1, L"");
    ui.SetVisible(Ctl::lblMSG1, false);
    ui.SetVisible(Ctl::cbxFOLDER, false);
    ui.SetVisible(Ctl::txtFOLDER, false);
    ui.SetText(Ctl::lblKEKKA, L"");
    ui.SetText(Ctl::txtFOLDER, L"");
    ui.SetVisible(Ctl::cmdADDIN, m == Mode::Install);
}

long ListChosenFiles(Context& c) {
    long rows = 0;
    for (long i = 1; i <= c.st.SelFileUpper(); ++i) {
        const auto& entry = c.st.strSELFILE[static_cast<size_t>(i)];
        if (entry.Done) continue;
        c.ui.ListAdd(FileNamePart(entry.Path));
        c.ui.ListSetItemData(static_cast<int>(rows), i);
        ++rows;
    }
    return rows;
}

// Holds the list's drawing while rows are added; the list is drawn once, also after a failure.
class ListDrawingHeld {
public:
    explicit ListDrawingHeld(Controls& ui) : ui_(ui) { ui_.ListHoldDrawing(); }
    ~ListDrawingHeld() { ui_.ListResumeDrawing(); }
    ListDrawingHeld(const ListDrawingHeld&) = delete;
    ListDrawingHeld& operator=(const ListDrawingHeld&) = delete;

private:
    Controls& ui_;
};

long ListExcelAddins(Context& c, Mode m) {
    BusyScope busy(c.svc.busy);
    ListDrawingHeld drawing(c.ui);
    excel::Session excel(StartExcel(c.svc));
    // A drive or share out of reach answers slowly: each is asked once for the whole list.
    ListingScope listing(c.svc.fs);
    long rows = 0;
    for (auto& addin : excel::each(excel->AddIns())) {
        // The rule reads only what its tests need; the row's reads below are the row's own.
        if (!Offers(m, ListedAddin(*addin, c.svc.fs), c.svc.details)) continue;
        c.ui.ListAdd(addin->Title());
        ++rows;
        SetAddinRow(c, rows, *addin);
        c.ui.ListSetItemData(static_cast<int>(rows - 1), rows);
    }
    excel.Quit();
    return rows;
}

}  // namespace

void SetAddinRow(Context& c, long i, excel::AddIn& addin) {
    c.st.udtADDINROW.resize(static_cast<size_t>(i) + 1);
    auto& row = c.st.udtADDINROW[static_cast<size_t>(i)];
    row.Title = addin.Title();
    row.FullName = addin.FullName();
}

void MainWindow::optBTN_Click(int index) {
    if (index < 0 || index >= kModeCount) return;  // the window has no other buttons
    Context& c = ctx_;
    const Mode m = static_cast<Mode>(index);
    const ModeTexts& t = kModes[index];

    // Until this list is complete, Next and a row click have no mode to act on.
    c.shownMode.reset();
    ResetControls(c.ui, m);
    c.ui.SetText(Ctl::lblMSG0, t.listHeader);

    if (m != Mode::Install) c.st.udtADDINROW.assign(1, AddinRow{});
    c.ui.ListClear();
    const long rows = m == Mode::Install ? ListChosenFiles(c) : ListExcelAddins(c, m);

    c.ui.SetToolTip(Ctl::cmdNEXT, t.nextTip);
    c.ui.SetEnabled(Ctl::cmdNEXT, true);
    if (rows == 0) {
        c.ui.SetText(Ctl::lblMSG1, texts::kNoCandidates);
        c.ui.SetVisible(Ctl::lblMSG1, true);
        c.ui.SetEnabled(Ctl::cmdNEXT, false);
    }

    if (m == Mode::Install || m == Mode::RemoveActive || m == Mode::RemoveInactive || m == Mode::ShowFolder)
        c.ui.SetVisible(Ctl::txtFOLDER, true);
    if (m == Mode::Tidy) {
        c.ui.SetVisible(Ctl::txtFOLDER, false);
        c.ui.SetVisible(Ctl::cbxFOLDER, false);
    }

    c.ui.SetText(Ctl::txtSTEP, t.steps);

    // Read from the button itself: the Next handler recognises mode 0 by this caption.
    c.ui.SetText(Ctl::cmdNEXT, m == Mode::ShowFolder ? std::wstring(texts::kCopyToClipboard)
                                                     : c.ui.Text(OptBtn(index)) + texts::kRunSuffix);
    c.shownMode = m;
}

}  // namespace qv
