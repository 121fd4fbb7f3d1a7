#include <string>
#include <vector>

#include "excel/addin_file.h"
#include "startup/startup.h"

namespace qv {

namespace {

void AddEntry(SharedState& st, const std::wstring& path) { st.strSELFILE.push_back(SelFileRow{path, false}); }

std::vector<Notice> CollectFromArguments(SharedState& st) {
    std::vector<Notice> skipped;
    for (const auto& path : SplitArguments(st.strCOMMAND)) {
        if (excel::IsXlaName(path)) {
            AddEntry(st, path);
        } else {
            Notice n{Reason::UnsupportedFile};
            n.path = path;
            skipped.push_back(std::move(n));
        }
    }
    return skipped;
}

// A Windows pattern "*.xla" also matches longer extensions such as ".xlam" through their
// short names, so every listed name is checked again.
void CollectFromProgramFolder(Services& svc, SharedState& st) {
    const std::wstring folder = svc.sys.ProgramFolder();
    for (const auto& name : svc.fs.ListFiles(folder, L"*.xla"))
        if (excel::IsXlaName(name)) AddEntry(st, folder + L"\\" + name);
}

}  // namespace

std::vector<std::wstring> SplitArguments(const std::wstring& text) {
    std::vector<std::wstring> paths;
    std::wstring current;
    bool inQuote = false;
    for (wchar_t c : text) {
        if (c == L'"') {
            inQuote = !inQuote;
        } else if (c == L' ' && !inQuote) {
            if (!current.empty()) paths.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) paths.push_back(current);
    return paths;
}

std::vector<Notice> CollectStartupFiles(Services& svc, SharedState& st) {
    st.strSELFILE.assign(1, SelFileRow{});
    if (!st.strCOMMAND.empty()) return CollectFromArguments(st);
    CollectFromProgramFolder(svc, st);
    return {};
}

}  // namespace qv
