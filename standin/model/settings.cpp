#include "model/settings.h"

#include <algorithm>
#include <cwchar>

#include "platform/paths.h"

namespace qv::standin {
namespace {

// A whole decimal number without sign; blanks around it are allowed.
bool ParseNumber(const std::wstring& text, unsigned long& out) {
    size_t b = text.find_first_not_of(L" \t");
    size_t e = text.find_last_not_of(L" \t");
    if (b == std::wstring::npos) return false;
    unsigned long long n = 0;
    for (size_t i = b; i <= e; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        n = n * 10 + static_cast<unsigned long long>(text[i] - L'0');
        if (n > 0xFFFFFFFFull) return false;
    }
    out = static_cast<unsigned long>(n);
    return true;
}

unsigned long NumberSetting(Registry& reg, const wchar_t* name, unsigned long fallback) {
    unsigned long n = 0;
    auto text = reg.GetString(kSettingsKey, name);
    return text && ParseNumber(*text, n) ? n : fallback;
}

}  // namespace

Settings LoadSettings(Registry& reg, const std::wstring& userName) {
    Settings s;
    s.version = reg.GetString(kSettingsKey, L"Version").value_or(L"11.0");
    s.userLibraryPath = reg.GetString(kSettingsKey, L"UserLibraryPath")
                            .value_or(L"C:\\users\\" + userName + L"\\AppData\\Roaming\\Microsoft\\AddIns\\");
    s.libraryPath = reg.GetString(kSettingsKey, L"LibraryPath")
                        .value_or(L"C:\\Program Files\\Microsoft Office\\OFFICE11\\Library");
    s.busyMilliseconds = NumberSetting(reg, L"BusyMilliseconds", s.busyMilliseconds);
    s.exitDelayMilliseconds = NumberSetting(reg, L"ExitDelayMilliseconds", s.exitDelayMilliseconds);
    if (auto langs = reg.GetString(kSettingsKey, L"Languages")) s.languages = ParseLanguages(*langs);
    s.callLog = reg.GetString(kSettingsKey, L"CallLog").value_or(L"");
    s.modalFiles = ParseFileNames(reg.GetString(kSettingsKey, L"ModalFiles").value_or(L""));
    s.modalMilliseconds = NumberSetting(reg, L"ModalMilliseconds", s.modalMilliseconds);
    s.clickToRun = paths::EqualNoCase(reg.GetString(kSettingsKey, L"InstallLayout").value_or(L""), L"ClickToRun");
    s.startupNotice = reg.GetString(kSettingsKey, L"StartupNotice").value_or(L"");
    s.startupNoticeMilliseconds = NumberSetting(reg, L"StartupNoticeMilliseconds", s.startupNoticeMilliseconds);
    return s;
}

std::vector<unsigned long> ParseLanguages(const std::wstring& text) {
    std::vector<unsigned long> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos) comma = text.size();
        unsigned long n = 0;
        if (ParseNumber(text.substr(start, comma - start), n)) out.push_back(n);
        start = comma + 1;
    }
    return out;
}

std::vector<std::wstring> ParseFileNames(const std::wstring& text) {
    std::vector<std::wstring> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t semicolon = text.find(L';', start);
        if (semicolon == std::wstring::npos) semicolon = text.size();
        std::wstring item = text.substr(start, semicolon - start);
        size_t b = item.find_first_not_of(L" \t");
        if (b != std::wstring::npos) {
            std::wstring name = paths::FileNamePart(item.substr(b, item.find_last_not_of(L" \t") - b + 1));
            if (!name.empty()) out.push_back(name);
        }
        start = semicolon + 1;
    }
    return out;
}

bool IsModalFile(const Settings& s, const std::wstring& path) {
    const std::wstring name = paths::FileNamePart(path);
    return !name.empty() && std::any_of(s.modalFiles.begin(), s.modalFiles.end(),
                                        [&](const std::wstring& m) { return paths::EqualNoCase(m, name); });
}

int MajorVersion(const Settings& s) {
    int major = 0;
    for (size_t i = 0; i < s.version.size() && s.version[i] >= L'0' && s.version[i] <= L'9' && major < 1000; ++i)
        major = major * 10 + (s.version[i] - L'0');
    return major;
}

namespace {
bool AtLeast(const Settings& s, int major) {
    bool numeric = !s.version.empty() && s.version[0] >= L'0' && s.version[0] <= L'9';
    return !numeric || MajorVersion(s) >= major;  // a version that is no number is taken as a current one
}
}  // namespace

bool HasUserLibrary(const Settings& s) { return AtLeast(s, 9); }
bool HasHwnd(const Settings& s) { return AtLeast(s, 10); }

std::wstring OptionsKey(const Settings& s) {
    return L"Software\\Microsoft\\Office\\" + s.version + L"\\Excel\\Options";
}

std::wstring AddinManagerKey(const Settings& s) {
    return L"Software\\Microsoft\\Office\\" + s.version + L"\\Excel\\Add-in Manager";
}

std::wstring CurVerText(const Settings& s) { return L"Excel.Application." + std::to_wstring(MajorVersion(s)); }

std::wstring InstallRootKey(const Settings& s) {
    return L"SOFTWARE\\Microsoft\\Office\\" + s.version + L"\\Excel\\InstallRoot";
}

std::wstring ClickToRunInstallRootKey(const Settings& s) {
    return L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Microsoft\\Office\\" + s.version +
           L"\\Excel\\InstallRoot";
}

std::wstring InstallRootPath(const Settings& s) {
    std::wstring library = s.libraryPath;
    while (!library.empty() && library.back() == L'\\') library.pop_back();
    const size_t slash = library.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : library.substr(0, slash + 1);
}

}  // namespace qv::standin
