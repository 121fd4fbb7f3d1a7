#include "model/dialog_text.h"

namespace qv::standin {
namespace {

std::wstring Trim(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == L' ') ++b;
    while (e > b && s[e - 1] == L' ') --e;
    return s.substr(b, e - b);
}

}  // namespace

std::wstring DialogFilter(const std::wstring& excelFilter) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (true) {
        auto comma = excelFilter.find(L',', start);
        parts.push_back(Trim(excelFilter.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start)));
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    std::wstring out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i + 1].empty()) continue;
        out += parts[i] + L'\0' + parts[i + 1] + L'\0';
    }
    if (out.empty()) out = std::wstring(L"All Files (*.*)") + L'\0' + L"*.*" + L'\0';
    return out + L'\0';
}

std::vector<std::wstring> SelectedPaths(const std::wstring& buffer) {
    std::vector<std::wstring> texts;
    size_t start = 0;
    while (start < buffer.size()) {
        auto end = buffer.find(L'\0', start);
        if (end == std::wstring::npos) end = buffer.size();
        if (end == start) break;
        texts.push_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    if (texts.size() <= 1) return texts;
    std::wstring folder = texts[0];
    if (folder.back() != L'\\') folder += L'\\';
    std::vector<std::wstring> paths;
    for (size_t i = 1; i < texts.size(); ++i) paths.push_back(folder + texts[i]);
    return paths;
}

}  // namespace qv::standin
