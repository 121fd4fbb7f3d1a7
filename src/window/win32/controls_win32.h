#pragma once
// qv::Controls over the main dialog: each Ctl is one control ID of the dialog resource.
#include <windows.h>

#include <set>

#include "window/controls.h"

namespace qv::win32 {

// The dialog control ID of `c`.
int ControlId(Ctl c);

class DialogControls : public Controls {
public:
    explicit DialogControls(HWND dialog);
    ~DialogControls() override;
    DialogControls(const DialogControls&) = delete;
    DialogControls& operator=(const DialogControls&) = delete;

    HWND ToolTip() const { return tip_; }

    void SetCaption(const std::wstring& text) override;
    void Close() override;
    std::wstring Text(Ctl c) override;
    void SetText(Ctl c, const std::wstring& text) override;
    bool Visible(Ctl c) override;
    void SetVisible(Ctl c, bool visible) override;
    bool Enabled(Ctl c) override;
    void SetEnabled(Ctl c, bool enabled) override;
    void SetToolTip(Ctl c, const std::wstring& text) override;
    void SetReadOnly(Ctl c, bool readOnly) override;
    bool Checked(Ctl option) override;
    Rect Bounds(Ctl c) override;
    void SetBounds(Ctl c, const Rect& r) override;

    void ListClear() override;
    int ListAdd(const std::wstring& text) override;
    void ListSetItemData(int row, long data) override;
    long ListItemData(int row) override;
    int ListIndex() override;
    std::wstring ListText() override;
    void ListRemove(int row) override;
    int ListCount() override;
    void ListHoldDrawing() override;
    void ListResumeDrawing() override;

    void ComboClear() override;
    void ComboAdd(const std::wstring& text) override;
    void ComboSelect(int index) override;

private:
    HWND Item(Ctl c) const;
    HWND List() const { return Item(Ctl::lstADDIN); }
    HWND Combo() const { return Item(Ctl::cbxFOLDER); }
    void CheckRow(int row, const wchar_t* operation);
    // Moves the focus on when `h` is about to stop taking it, as the keyboard would.
    void LeaveIfFocused(HWND h);
    void AddTool(HWND h, const std::wstring& text);

    HWND dlg_;
    HWND tip_ = nullptr;
    std::set<HWND> tools_;
    bool drawingHeld_ = false;
};

}  // namespace qv::win32
