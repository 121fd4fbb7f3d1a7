#pragma once
// The traced world as the operations see it: Excel 2003, a result label to overwrite, and
// add-ins listed with files behind them, offered as rows of the list.
#include <string>
#include <vector>

#include "window/steps.h"
#include "traced_world.h"

namespace qv::fake {

inline constexpr const wchar_t* kManagerKey11 = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";

struct OpsWorld : TracedWorld {
    FakeExcelWorld& excel = w.excel;
    FakeFileSystem& fs = w.fs;
    FakeRegistry& reg = w.reg;
    SharedState& st = w.st;
    FakeControls& ui = w.ui;

    OpsWorld() {
        st.intEXCELVER = 11;
        ui.items[Ctl::lblKEKKA].text = L"(before)";
    }

    // An add-in in Excel's list, with a file behind it.
    void List(const std::wstring& fullName, const std::wstring& title, bool installed, bool fileExists = true) {
        FakeAddinData d;
        d.FullName = fullName;
        auto p = fullName.rfind(L'\\');
        d.Name = fullName.substr(p + 1);
        d.Path = fullName.substr(0, p);
        d.Title = title;
        d.Installed = installed;
        excel.addins.push_back(d);
        if (fileExists) fs.files[fullName] = L"old " + fullName;
    }
    // A row of modes 1 to 6 showing `title` for the add-in `fullName`; returns the row.
    int Row(const std::wstring& fullName, const std::wstring& title) {
        st.udtADDINROW.push_back({fullName, title});
        int r = ui.ListAdd(title);
        ui.ListSetItemData(r, static_cast<long>(st.udtADDINROW.size()) - 1);
        return r;
    }
    // A row of mode 0 for the offered file `path`; returns the row.
    int FileRow(const std::wstring& path) {
        st.strSELFILE.push_back({path, false});
        int r = ui.ListAdd(FileNamePart(path));
        ui.ListSetItemData(r, st.SelFileUpper());
        return r;
    }
    const FakeAddinData* Addin(const std::wstring& fullName) const {
        for (auto& a : excel.addins) if (a.FullName == fullName) return &a;
        return nullptr;
    }
};

}  // namespace qv::fake
