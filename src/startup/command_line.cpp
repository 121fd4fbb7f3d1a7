#include <string>
#include <vector>

#include "excel/addin_file.h"
#include "startup/startup.h"
#include "platform/texts.h"
#include "startup/texts.h"

namespace qv {

namespace {

void AddEntry(SharedState& st, const std::wstring& path) { st.strSELFILE.push_back(SelFileRow{path, false}); }

void AnnounceSkipped(Services& svc, const std::wstring& path) {
    svc.msg.Show(std::wstring(texts::kUnsupportedFile1) + path + texts::kUnsupportedFile2, texts::kAppTitle,
                 kMbInformation);
}

void CollectFromArguments(Services& svc, SharedState& st) {
    for (const auto& path : SplitArguments(st.strCOMMAND)) {
        if (excel::IsXlaName(path))
            AddEntry(st, path);
        else
            AnnounceSkipped(svc, path);
    }
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

void CollectStartupFiles(Services& svc, SharedState& st) {
    st.strSELFILE.assign(1, SelFileRow{});
    if (st.strCOMMAND.empty())
        CollectFromProgramFolder(svc, st);
    else
        CollectFromArguments(svc, st);
}

}  // namespace qv
