#include "console/status.h"

#include <algorithm>
#include <cwctype>

#include "console/utf8.h"
#include "operations/open_values.h"
#include "operations/operations.h"
#include "platform/paths.h"

namespace qv::console {

namespace texts {

inline constexpr Text kStatusDetected{L"インストール済み（動作中、内容が同一）：", L"Installed, switched on and identical: "};
inline constexpr Text kStatusNotListed{L"アドインリストにありません：", L"Not in the add-in list: "};
inline constexpr Text kStatusSwitchedOff{L"アドインリストにありますが、非動作中です：", L"Listed, but switched off: "};
inline constexpr Text kStatusDifferent{L"インストールされているファイルの内容が異なります：",
                                       L"The installed file's content differs: "};
inline constexpr Text kStatusFileMissing{L"動作中ですが、ファイルがありません：", L"Switched on, but its file is missing: "};
inline constexpr Text kStatusUnreachable{L"動作中ですが、ファイルのあるドライブまたは共有に接続できません：",
                                         L"Switched on, but its drive or share cannot be reached: "};
inline constexpr Text kStatusNoExcel{
    L"インストールされているExcelが見つかりません（HKCR\\Excel.Application\\CurVer がありません）。",
    L"No installed Excel was found (HKCR\\Excel.Application\\CurVer is missing)."};

}  // namespace texts

namespace {

constexpr const wchar_t* kCurVerKey = L"Excel.Application\\CurVer";

std::wstring InstallRootKey(int version) {
    return L"Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Excel\\InstallRoot";
}

// Click-to-Run Office (Microsoft 365, and the retail 2016 and later) keeps its machine keys in a
// hive of its own, which mirrors HKLM\SOFTWARE (the 32-bit keys below its Wow6432Node).
constexpr const wchar_t* kClickToRunHive = L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\";
constexpr const wchar_t* kClickToRunConfiguration = L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\Configuration";

// Where Office may say its Excel lies, in the order they are asked: the Office folder, without
// "Library", each the text of one value.
struct RootSource {
    std::wstring key;
    const wchar_t* name;
    std::wstring below;  // appended to the value's folder
};

std::vector<RootSource> RootSources(int version) {
    const std::wstring installRoot = InstallRootKey(version);
    return {
        {L"SOFTWARE\\" + installRoot, L"Path", L""},
        {std::wstring(kClickToRunHive) + installRoot, L"Path", L""},
        {std::wstring(kClickToRunHive) + L"Wow6432Node\\" + installRoot, L"Path", L""},
        {kClickToRunConfiguration, L"InstallationPath", L"root\\Office" + std::to_wstring(version)},
    };
}

bool SameFileName(const std::wstring& path, const std::wstring& fileName) {
    return paths::EqualNoCase(paths::FileNamePart(path), fileName);
}

std::string Lower(const std::wstring& hex) {
    std::string r;
    for (wchar_t c : hex) r += static_cast<char>(std::towlower(c));
    return r;
}

const char* ReasonOf(Detection d) {
    switch (d) {
        case Detection::Installed: return "ok";
        case Detection::NotListed: return "not-listed";
        case Detection::SwitchedOff: return "switched-off";
        case Detection::DifferentContent: return "different-content";
        case Detection::FileMissing: return "file-missing";
        case Detection::Unreachable: return "unreachable";
    }
    return "failed";
}

const Text& TextOf(Detection d) {
    switch (d) {
        case Detection::Installed: return texts::kStatusDetected;
        case Detection::NotListed: return texts::kStatusNotListed;
        case Detection::SwitchedOff: return texts::kStatusSwitchedOff;
        case Detection::DifferentContent: return texts::kStatusDifferent;
        case Detection::FileMissing: return texts::kStatusFileMissing;
        case Detection::Unreachable: break;
    }
    return texts::kStatusUnreachable;
}

}  // namespace

int CurVerMajor(const std::wstring& curVer) {
    static const std::wstring kPrefix = L"Excel.Application.";
    if (curVer.size() <= kPrefix.size() || !paths::EqualNoCase(curVer.substr(0, kPrefix.size()), kPrefix)) return 0;
    int major = 0;
    for (size_t i = kPrefix.size(); i < curVer.size(); ++i) {
        if (curVer[i] < L'0' || curVer[i] > L'9' || major > 1000) return 0;
        major = major * 10 + (curVer[i] - L'0');
    }
    return major;
}

excel::Facts InstalledExcelFacts(Registry& reg, FileSystem& fs, SystemInfo& sys) {
    excel::Facts facts;
    facts.version = CurVerMajor(reg.GetMachineString(MachineRoot::ClassesRoot, kCurVerKey, L"", RegView::Own).value_or(L""));
    if (facts.version == 0) return facts;
    // Excel 97 has no user add-in folder.
    const std::wstring appData = sys.RoamingAppDataFolder();
    if (facts.version >= 9 && !appData.empty()) facts.userFolder = paths::JoinFolder(appData, L"Microsoft\\AddIns");
    // A key left behind by an Office that was removed or moved names a folder that is gone: the
    // next source is asked instead.
    for (const RootSource& source : RootSources(facts.version)) {
        for (RegView view : {RegView::Bits64, RegView::Bits32}) {
            const auto root = reg.GetMachineString(MachineRoot::LocalMachine, source.key, source.name, view);
            if (!root || paths::WithoutClosingSeparator(*root).empty()) continue;
            const std::wstring office = source.below.empty() ? *root : paths::JoinFolder(*root, source.below);
            const std::wstring library = paths::JoinFolder(office, L"Library");
            if (fs.FolderExists(library)) {
                facts.libraryFolder = library;
                return facts;
            }
        }
    }
    return facts;
}

std::vector<std::wstring> SwitchedOnFiles(Registry& reg, FileSystem& fs, const excel::Facts& facts) {
    std::vector<std::wstring> files;
    for (const auto& value : reg.StringValues(ExcelOptionsKey(facts.version))) {
        if (!IsOpenValueName(value.name)) continue;
        const std::wstring file = OpenValueFile(value.data);
        if (file.empty()) continue;
        if (file.find(L'\\') != std::wstring::npos) {
            files.push_back(file);
            continue;
        }
        std::wstring at;
        for (const auto* folder : {&facts.userFolder, &facts.libraryFolder}) {
            if (folder->empty()) continue;
            const std::wstring path = paths::JoinFolder(*folder, file);
            if (at.empty()) at = path;  // where a missing file would be
            if (fs.FileExists(path)) {
                at = path;
                break;
            }
        }
        if (!at.empty()) files.push_back(at);
    }
    return files;
}

Detected Detect(Registry& reg, FileSystem& fs, const excel::Facts& facts, const std::wstring& fileName,
                const std::function<bool(const std::wstring&)>& identical) {
    std::optional<Detected> differs, unreachable, missing;
    for (const auto& path : SwitchedOnFiles(reg, fs, facts)) {
        if (!SameFileName(path, fileName)) continue;
        switch (fs.FileStateOf(path)) {
            case FileState::Present:
                if (identical(path)) return {Detection::Installed, path};
                if (!differs) differs = Detected{Detection::DifferentContent, path};
                break;
            case FileState::Unreachable:
                if (!unreachable) unreachable = Detected{Detection::Unreachable, path};
                break;
            case FileState::Missing:
                if (!missing) missing = Detected{Detection::FileMissing, path};
                break;
        }
    }
    for (const auto& found : {differs, unreachable, missing})
        if (found) return *found;
    // Switched off outside the default folders: an Add-in Manager value named by the full path.
    for (const auto& value : reg.StringValues(AddinManagerKey(facts.version)))
        if (SameFileName(value.name, fileName)) return {Detection::SwitchedOff, value.name};
    // Excel lists every add-in file of its default folders.
    for (const auto* folder : {&facts.userFolder, &facts.libraryFolder}) {
        if (folder->empty()) continue;
        const std::wstring path = paths::JoinFolder(*folder, fileName);
        if (fs.FileExists(path)) return {Detection::SwitchedOff, path};
    }
    return {};
}

int Status(World& w, Reporter& r, const Options& o) {
    const excel::Facts facts = InstalledExcelFacts(w.svc.reg, w.svc.fs, w.svc.sys);
    r.SetField("excel", {{"version", facts.version},
                         {"userFolder", ToUtf8(facts.userFolder)},
                         {"libraryFolder", ToUtf8(facts.libraryFolder)}});
    if (facts.version == 0) return r.Stop(kExitCannotRun, r.T(texts::kStatusNoExcel), "excel-missing");

    ListingScope listing(w.svc.fs);
    std::vector<std::wstring> detected;
    bool all = true;
    for (const auto& target : o.operands) {
        Item item;
        item.target = target;
        std::function<bool(const std::wstring&)> identical;
        const std::string want = o.sha256 ? Lower(*o.sha256) : std::string();
        std::wstring source;
        if (o.sha256) {
            identical = [&](const std::wstring& path) {
                const auto got = w.sha256 ? w.sha256(path) : std::nullopt;
                return got && *got == want;
            };
        } else {
            source = w.fullPath ? w.fullPath(target) : target;
            if (!w.svc.fs.FileExists(source)) {
                item.exit = kExitNotFound;
                item.reason = "not-found";
                item.message = r.T(texts::kFileNotFound) + source;
                all = false;
                r.Add(std::move(item));
                continue;
            }
            identical = [&](const std::wstring& path) {
                return paths::EqualNoCase(path, source) || w.sameContents(source, path);
            };
        }
        const Detected d = Detect(w.svc.reg, w.svc.fs, facts, paths::FileNamePart(target), identical);
        item.reason = ReasonOf(d.what);
        item.fullName = d.fullName;
        if (d.what == Detection::Installed) {
            item.message = r.T(TextOf(d.what)) + d.fullName;
            detected.push_back(d.fullName);
            r.Record(std::move(item));
            continue;
        }
        all = false;
        item.exit = kExitNo;
        item.message = r.T(TextOf(d.what)) + (d.fullName.empty() ? target : d.fullName);
        r.Add(std::move(item));
    }
    if (all) {
        std::wstring line = r.T(texts::kStatusDetected);
        for (size_t i = 0; i < detected.size(); ++i) line += (i ? L", " : L"") + detected[i];
        r.Text(line + L"\n");
    }
    return r.Finish();
}

}  // namespace qv::console
