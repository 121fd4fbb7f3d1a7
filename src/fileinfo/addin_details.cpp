#include "fileinfo/addin_details.h"

#include <cwctype>
#include <functional>

#include "platform/error.h"
#include "platform/paths.h"
#include "fileinfo/texts.h"
#include "platform/texts.h"

namespace qv {

namespace {

bool ContainsMicrosoft(std::wstring author) {
    for (auto& ch : author) ch = static_cast<wchar_t>(std::towlower(ch));
    return author.find(L"microsoft") != std::wstring::npos;
}

// Offers the file's value under each column headed `header`, in column order, to `take`
// until it answers true. Columns after the first empty header, or past the last one looked
// at, are never reached.
void ScanDetail(DetailsProvider& details, const std::wstring& path, const std::wstring& header,
                const std::function<bool(const std::wstring&)>& take) {
    try {
        auto file = details.Open(paths::FolderPart(path), paths::FileNamePart(path));
        for (int c = 0; c <= kMaxDetailColumn; ++c) {
            std::wstring h = file->Header(c);
            if (h.empty()) break;
            if (h == header && take(file->Value(c))) break;
        }
    } catch (const Failure&) {
        // A file whose details cannot be read (folder gone, file deleted since it was listed)
        // simply has no details; a missing add-in file must not end the program.
    }
}

}  // namespace

std::wstring ReadDetail(DetailsProvider& details, const std::wstring& path, const std::wstring& header) {
    std::wstring value;
    ScanDetail(details, path, header, [&](const std::wstring& v) {
        value = v;
        return true;
    });
    return value;
}

bool IsNotMicrosoftAddin(DetailsProvider& details, const std::wstring& path) {
    // Every author column counts, not only the first.
    bool microsoft = false;
    ScanDetail(details, path, texts::kHeaderAuthor, [&](const std::wstring& v) { return microsoft = ContainsMicrosoft(v); });
    return !microsoft;
}

FileTitle GetAddinFileTitle(DetailsProvider& details, const std::wstring& path) {
    FileTitle t{ReadDetail(details, path, texts::kHeaderTitle), std::nullopt};
    if (t.title.empty()) {
        t.warning = Notice{Reason::NoTitle};
        t.warning->path = path;
    }
    return t;
}

}  // namespace qv
