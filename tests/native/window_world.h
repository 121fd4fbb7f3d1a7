#pragma once
// The traced world as the window's handlers see it: option buttons with their captions, and
// add-ins listed with files and details behind them.
#include <string>

#include "traced_world.h"
#include "window/texts.h"

namespace qv::fake {

struct WindowWorld : TracedWorld {
    WindowWorld() {
        const wchar_t* captions[] = {texts::kOptCaption0, texts::kOptCaption1, texts::kOptCaption2,
                                     texts::kOptCaption3, texts::kOptCaption4, texts::kOptCaption5,
                                     texts::kOptCaption6};
        for (int i = 0; i < 7; ++i) w.ui.SetText(OptBtn(i), captions[i]);
    }

    // A listed add-in in `folder`; its file exists when `exists`, with the given details.
    void AddAddin(const std::wstring& folder, const std::wstring& name, const std::wstring& title,
                  bool installed, bool exists = true, const std::wstring& author = L"") {
        const std::wstring full = folder + L"\\" + name;
        w.excel.addins.push_back({name, full, title, folder, installed});
        if (exists) {
            w.fs.files[full] = L"xla";
            w.details.Add(full, author, title);
        }
    }
};

}  // namespace qv::fake
