#include "fileinfo/addin_details.h"

#include <cwctype>

#include "window/texts.h"

namespace qv {

namespace {

void SplitPath(const std::wstring& path, std::wstring& folder, std::wstring& name) {
    auto p = path.rfind(L'\\');
    if (p == std::wstring::npos) {
        folder.clear();
        name = path;
    } else {
        folder = path.substr(0, p);
        name = path.substr(p + 1);
    }
}

bool ContainsMicrosoft(std::wstring author) {
    for (auto& ch : author) ch = static_cast<wchar_t>(std::towlower(ch));
    return author.find(L"microsoft") != std::wstring::npos;
}

}  // namespace

std::wstring ReadDetail(DetailsProvider& details, const std::wstring& path, const std::wstring& header) {
    std::wstring folder, name;
    SplitPath(path, folder, name);
    try {
        auto file = details.Open(folder, name);
        for (int c = 0; c <= kMaxDetailColumn; ++c) {
            std::wstring h = file->Header(c);
            if (h.empty()) break;
            if (h == header) return file->Value(c);
        }
    } catch (...) {
        // A file whose details cannot be read (folder gone, file deleted since it was listed)
        // simply has no details; a missing add-in file must not end the program.
    }
    return L"";
}

bool IsNotMicrosoftAddin(DetailsProvider& details, const std::wstring& path) {
    return !ContainsMicrosoft(ReadDetail(details, path, texts::kHeaderAuthor));
}

std::wstring GetAddinFileTitle(DetailsProvider& details, MessageBoxes& msg, const std::wstring& path) {
    std::wstring title = ReadDetail(details, path, texts::kHeaderTitle);
    if (title.empty()) {
        auto p = path.rfind(L'\\');
        std::wstring name = p == std::wstring::npos ? path : path.substr(p + 1);
        msg.Show(std::wstring(texts::kNoTitle1) + name + texts::kNoTitle2, texts::kAppTitle, kMbCritical);
    }
    return title;
}

}  // namespace qv
