#pragma once
// The window's controls as the portable handlers see them. win32/ maps these onto the
// dialog's control IDs; tests use an in-memory fake.
#include <string>

namespace qv {

enum class Ctl {
    optBTN0, optBTN1, optBTN2, optBTN3, optBTN4, optBTN5, optBTN6,
    lblopt0, lblopt1, lblopt2, lblopt3, lblopt4, lblopt5,
    lblMSG0, lstADDIN, cmdADDIN, lblMSG1, Label3, cbxFOLDER, txtFOLDER, cmdFolder,
    Label7, txtSTEP, lblKEKKA, cmdNEXT, cmdEND, cmdMANUAL, Label2, Frame1, Text1,
    Label1, lblVERSION,
};

inline Ctl OptBtn(int index) { return static_cast<Ctl>(static_cast<int>(Ctl::optBTN0) + index); }

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

class Controls {
public:
    virtual ~Controls() = default;

    virtual void SetCaption(const std::wstring& text) = 0;  // the window's own caption
    virtual void Close() = 0;                                // unload the window

    // Caption of a label or button, text of a text box or combo box.
    virtual std::wstring Text(Ctl c) = 0;
    virtual void SetText(Ctl c, const std::wstring& text) = 0;
    virtual bool Visible(Ctl c) = 0;
    virtual void SetVisible(Ctl c, bool visible) = 0;
    virtual bool Enabled(Ctl c) = 0;
    virtual void SetEnabled(Ctl c, bool enabled) = 0;
    virtual void SetToolTip(Ctl c, const std::wstring& text) = 0;
    virtual void SetReadOnly(Ctl c, bool readOnly) = 0;
    virtual bool Checked(Ctl option) = 0;  // option buttons
    virtual Rect Bounds(Ctl c) = 0;
    virtual void SetBounds(Ctl c, const Rect& r) = 0;

    // lstADDIN
    virtual void ListClear() = 0;
    virtual int ListAdd(const std::wstring& text) = 0;  // returns the new row's index
    virtual void ListSetItemData(int row, long data) = 0;
    virtual long ListItemData(int row) = 0;
    virtual int ListIndex() = 0;          // selected row, -1 when none
    virtual std::wstring ListText() = 0;  // text of the selected row, empty when none
    virtual void ListRemove(int row) = 0;
    virtual int ListCount() = 0;
    // While many rows are added one by one: the list is drawn once at the end, not after each
    // row. Nothing else changes, so a control set that does not draw need not implement them.
    virtual void ListHoldDrawing() {}
    virtual void ListResumeDrawing() {}

    // cbxFOLDER entries; its text is Text(Ctl::cbxFOLDER)
    virtual void ComboClear() = 0;
    virtual void ComboAdd(const std::wstring& text) = 0;
    virtual void ComboSelect(int index) = 0;
};

}  // namespace qv
