#include "com/dialogs.h"

#include <commdlg.h>

#include "model/dialog_text.h"
#include "model/settings.h"
#include "platform/win32/handles.h"

namespace qv::standin::com {
namespace {

using qv::win32::UniqueHkey;

UniqueHkey OpenAnswers() {
    UniqueHkey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kAnswersKey, 0, KEY_READ | KEY_SET_VALUE, k.put()) != ERROR_SUCCESS)
        k.reset();
    return k;
}

void Record(HKEY answers, const wchar_t* name, const std::wstring& text) {
    RegSetValueExW(answers, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The value's text and type; nullopt when the value is absent. The value is consumed.
std::optional<std::wstring> TakeAnswer(HKEY answers, const wchar_t* name, DWORD wantedType) {
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(answers, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(answers, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    RegDeleteValueW(answers, name);
    if (type != wantedType) return std::wstring();
    return std::wstring(data.data(), bytes / sizeof(wchar_t));
}

}  // namespace

std::optional<std::vector<std::wstring>> AskOpenFilenames(HWND owner, const std::wstring& excelFilter,
                                                          const std::wstring& title, bool multiSelect) {
    if (UniqueHkey answers = OpenAnswers()) {
        Record(answers.get(), kLastOpenFilter, excelFilter);
        if (auto scripted = TakeAnswer(answers.get(), kAnswerOpen, REG_MULTI_SZ)) {
            // REG_MULTI_SZ: each path ends with NUL, the list with a second NUL.
            std::vector<std::wstring> paths;
            size_t start = 0;
            while (start < scripted->size()) {
                auto end = scripted->find(L'\0', start);
                if (end == std::wstring::npos) end = scripted->size();
                if (end == start) break;
                paths.push_back(scripted->substr(start, end - start));
                start = end + 1;
            }
            if (paths.empty()) return std::nullopt;
            return paths;
        }
    }
    std::wstring filter = DialogFilter(excelFilter);
    std::vector<wchar_t> buffer(65536, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (multiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    size_t used = 0;
    while (used + 1 < buffer.size() && !(buffer[used] == L'\0' && buffer[used + 1] == L'\0')) ++used;
    auto paths = SelectedPaths(std::wstring(buffer.data(), used + 1));
    if (paths.empty()) return std::nullopt;
    return paths;
}

std::optional<std::wstring> AskSaveAsFilename(HWND owner, const std::wstring& initial,
                                              const std::wstring& excelFilter, const std::wstring& title) {
    if (UniqueHkey answers = OpenAnswers()) {
        Record(answers.get(), kLastSaveAsInitial, initial);
        if (auto scripted = TakeAnswer(answers.get(), kAnswerSaveAs, REG_SZ)) {
            std::wstring path = scripted->c_str();
            if (path.empty()) return std::nullopt;
            return path;
        }
    }
    std::wstring filter = DialogFilter(excelFilter);
    std::vector<wchar_t> buffer(32768, L'\0');
    initial.copy(buffer.data(), std::min(initial.size(), buffer.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&ofn)) return std::nullopt;
    return std::wstring(buffer.data());
}

}  // namespace qv::standin::com
