#include "console/doctor.h"

#include <algorithm>

#include "console/utf8.h"
#include "operations/network_path.h"
#include "operations/open_values.h"
#include "operations/operations.h"
#include "platform/paths.h"
#include "platform/zone_identifier.h"

namespace qv::console {

namespace texts {

inline constexpr Text kDoctorUnreachable{L"ドライブまたは共有に接続できません", L"drive or share out of reach"};
inline constexpr Text kDoctorNotMarked{L"ブロックなし", L"not marked"};
inline constexpr Text kDoctorMarked{L"インターネットから取得したファイルとしてブロックされています", L"marked as from the internet"};
inline constexpr Text kDoctorDisabled{L"Excelの「使用できないアイテム」にあります", L"in Excel's Disabled Items"};
inline constexpr Text kDoctorNotDisabled{L"「使用できないアイテム」にはありません", L"not in Excel's Disabled Items"};
inline constexpr Text kDoctorTrusted{L"信頼できる場所にあります", L"in a trusted location"};
inline constexpr Text kDoctorNotTrusted{L"信頼できる場所ではありません", L"not in a trusted location"};
inline constexpr Text kDoctorRegistryOk{L"レジストリは状態どおりです", L"registry as its state requires"};
inline constexpr Text kDoctorOpenMissing{L"動作中ですが、OPEN 値がありません", L"switched on, but no OPEN value names it"};
inline constexpr Text kDoctorOpenStray{L"非動作中ですが、OPEN 値があります", L"switched off, but an OPEN value names it"};
inline constexpr Text kDoctorMarkTrusted{L"（信頼できる場所にあるため影響しません）", L" (no effect in a trusted location)"};
inline constexpr Text kDoctorMacrosOff{L"マクロの設定が「警告を表示せずにすべてのマクロを無効にする」です",
                                       L"macro setting: all macros disabled without notification"};
inline constexpr Text kDoctorSignedOnly{L"マクロの設定が「デジタル署名されたマクロを除き、すべてのマクロを無効にする」です（署名は確かめていません）",
                                        L"macro setting: only digitally signed macros (the signature was not checked)"};
inline constexpr Text kDoctorInternetBlocked{L"インターネットから取得したファイルのマクロはポリシーでブロックされます",
                                             L"macros in files from the internet are blocked by policy"};
inline constexpr Text kDoctorAddinSignature{L"アプリケーション アドインに信頼できる発行元の署名が求められています",
                                            L"application add-ins must be signed by a trusted publisher"};
inline constexpr Text kDoctorAddinsOff{L"すべてのアプリケーション アドインが無効にされています", L"all application add-ins are disabled"};
inline constexpr Text kDoctorManagerMissing{L"非動作中ですが、Add-in Manager の値がありません",
                                            L"switched off, but no Add-in Manager value names it"};

}  // namespace texts

namespace {

std::wstring ExcelKey(int version) { return L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Excel"; }

// The keys a security setting of Excel <version> is read from, the first that holds the value
// winning: the Microsoft 365 Cloud Policy, then Group Policy, then (with `user`) the user's own
// setting. `below` follows the version's key, as in "Excel\\Security".
//
// The Cloud Policy service keeps its settings in HKCU\Software\Policies\Microsoft\Cloud\Office\16.0,
// and they take precedence over Group Policy and over settings made on the PC:
// https://learn.microsoft.com/en-us/microsoft-365-apps/admin-center/overview-cloud-policy
// (its first form, "Overview of the Office client policy service", said both in those words).
// It serves Microsoft 365 Apps only, which are version 16.0.
std::vector<std::wstring> SettingKeys(int version, const std::wstring& below, bool user) {
    const std::wstring v = std::to_wstring(version) + L".0\\";
    std::vector<std::wstring> keys;
    if (version == 16) keys.push_back(L"Software\\Policies\\Microsoft\\Cloud\\Office\\16.0\\" + below);
    keys.push_back(L"Software\\Policies\\Microsoft\\Office\\" + v + below);
    if (user) keys.push_back(L"Software\\Microsoft\\Office\\" + v + below);
    return keys;
}

std::optional<std::uint32_t> FirstDword(Registry& reg, const std::vector<std::wstring>& keys, const wchar_t* name) {
    for (const auto& key : keys)
        if (auto value = reg.GetDword(key, name)) return value;
    return std::nullopt;
}

std::uint32_t DwordAt(const std::vector<std::uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// What the registry holds for the add-ins, read once.
struct RegistryView {
    std::vector<RegValue> options, manager;
    std::vector<std::wstring> disabled;
    std::vector<TrustedLocation> trusted;
    MacroPolicy policy;
};

RegistryView ReadRegistry(Registry& reg, Drives& drives, const excel::Facts& facts) {
    RegistryView v;
    v.options = reg.StringValues(ExcelOptionsKey(facts.version));
    v.manager = reg.StringValues(AddinManagerKey(facts.version));
    for (const auto& value : reg.BinaryValues(ExcelKey(facts.version) + L"\\Resiliency\\DisabledItems"))
        if (auto path = DisabledItemPath(value.data)) v.disabled.push_back(*path);
    v.trusted = TrustedLocations(reg, drives, facts.version);
    v.policy = ReadMacroPolicy(reg, facts.version);
    return v;
}

bool NamesEqual(SystemInfo& sys, const std::vector<std::wstring>& paths, const std::wstring& fullName) {
    for (const auto& p : paths)
        if (sys.SamePath(p, fullName)) return true;
    return false;
}

// Whether the registry holds what the add-in's state requires: "ok", or the code of what is off
// and its text in `text`.
std::string RegistryVerdict(const RegistryView& v, const excel::Facts& facts, const ListedAddin& a, const Reporter& r,
                            std::wstring& text) {
    const bool open = OpenValuesName(v.options, facts, a.FullName());
    const Text* wrong = nullptr;
    std::string code = "ok";
    if (a.Installed() && !open) {
        wrong = &texts::kDoctorOpenMissing;
        code = "open-value-missing";
    } else if (!a.Installed() && open) {
        wrong = &texts::kDoctorOpenStray;
        code = "open-value-stray";
    } else if (!a.Installed() && !IsDefaultFolder(facts, a.Path()) &&
               std::none_of(v.manager.begin(), v.manager.end(),
                            [&](const RegValue& m) { return paths::EqualNoCase(m.name, a.FullName()); })) {
        wrong = &texts::kDoctorManagerMissing;
        code = "manager-value-missing";
    }
    text = r.T(wrong ? *wrong : texts::kDoctorRegistryOk);
    return code;
}

const Text& PolicyText(const std::string& code) {
    if (code == "macros-disabled") return texts::kDoctorMacrosOff;
    if (code == "macros-signed-only") return texts::kDoctorSignedOnly;
    if (code == "internet-macros-blocked") return texts::kDoctorInternetBlocked;
    if (code == "addin-signature-required") return texts::kDoctorAddinSignature;
    return texts::kDoctorAddinsOff;  // "addins-disabled"
}

Item Diagnose(World& w, const Reporter& r, const excel::Facts& facts, const RegistryView& v, const ListedAddin& a) {
    Item item;
    item.target = a.FullName();
    item.fullName = a.FullName();
    std::vector<std::string> problems;
    std::vector<std::wstring> parts;

    parts.push_back(r.T(a.Installed() ? texts::kOn : texts::kOff));
    const FileState state = a.File();
    const char* file = state == FileState::Present ? "present" : state == FileState::Missing ? "missing" : "unreachable";
    if (state == FileState::Present) {
        parts.push_back(r.T(texts::kFileThere));
    } else if (state == FileState::Missing) {
        parts.push_back(r.T(texts::kFileGone));
        problems.push_back("file-missing");
    } else {
        parts.push_back(r.T(texts::kDoctorUnreachable));
        problems.push_back("unreachable");
    }

    const bool trusted = InTrustedLocation(v.trusted, a.Path(), w.svc.sys);
    std::optional<int> zone;
    if (state == FileState::Present) {
        const ZoneStream stream = w.svc.fs.ReadZoneStream(a.FullName());
        if (stream.state == StreamState::Present) zone = ZoneIdOf(stream.text);
        if (IsMarkedFromInternet(zone)) {
            parts.push_back(r.T(texts::kDoctorMarked) + L" (ZoneId=" + std::to_wstring(*zone) + L")" +
                            (trusted ? r.T(texts::kDoctorMarkTrusted) : L""));
        } else {
            parts.push_back(zone ? L"ZoneId=" + std::to_wstring(*zone) : r.T(texts::kDoctorNotMarked));
        }
    }

    const PolicyFindings found = JudgePolicies(v.policy, trusted, IsMarkedFromInternet(zone));
    for (const auto& code : found.problems) problems.push_back(code);

    const bool disabled = NamesEqual(w.svc.sys, v.disabled, a.FullName());
    parts.push_back(r.T(disabled ? texts::kDoctorDisabled : texts::kDoctorNotDisabled));
    if (disabled) problems.push_back("disabled");

    parts.push_back(r.T(trusted ? texts::kDoctorTrusted : texts::kDoctorNotTrusted));
    // The mark has told itself above; the policies follow the trust they depend on.
    for (const auto& code : found.problems)
        if (code != "marked") parts.push_back(r.T(PolicyText(code)));
    for (const auto& code : found.notes) parts.push_back(r.T(PolicyText(code)));

    std::wstring registryText;
    const std::string registry = RegistryVerdict(v, facts, a, r, registryText);
    parts.push_back(registryText);
    if (registry != "ok") problems.push_back("registry-mismatch");

    item.message = a.Title() + L"\n    " + a.FullName() + L"\n    ";
    for (size_t i = 0; i < parts.size(); ++i) item.message += (i ? L" | " : L"") + parts[i];
    if (!problems.empty()) {
        item.exit = kExitNo;
        item.reason = problems.front();
    }
    nlohmann::json details{{"title", ToUtf8(a.Title())},
                           {"installed", a.Installed()},
                           {"file", file},
                           {"zoneId", nullptr},
                           {"disabled", disabled},
                           {"trusted", trusted},
                           {"registry", registry},
                           {"problems", problems},
                           {"notes", found.notes}};
    if (zone) details["zoneId"] = *zone;
    item.details = std::move(details);
    return item;
}

}  // namespace

std::optional<std::wstring> DisabledItemPath(const std::vector<std::uint8_t>& blob) {
    constexpr size_t kHeader = 12;
    if (blob.size() < kHeader) return std::nullopt;
    const std::uint32_t pathBytes = DwordAt(blob, 4);
    const std::uint32_t descriptionBytes = DwordAt(blob, 8);
    if (pathBytes == 0 || pathBytes % 2 != 0 || pathBytes > blob.size() - kHeader) return std::nullopt;
    if (descriptionBytes > blob.size() - kHeader - pathBytes) return std::nullopt;
    std::wstring path;
    for (size_t at = kHeader; at < kHeader + pathBytes; at += 2) {
        const wchar_t c = static_cast<wchar_t>(blob[at] | (blob[at + 1] << 8));
        if (c == L'\0') break;
        path += c;
    }
    if (path.empty()) return std::nullopt;
    return path;
}

MacroPolicy ReadMacroPolicy(Registry& reg, int excelVersion) {
    const auto keys = SettingKeys(excelVersion, L"Excel\\Security", true);
    MacroPolicy p;
    p.vbaWarnings = FirstDword(reg, keys, L"VBAWarnings");
    p.blockFromInternet = FirstDword(reg, keys, L"blockcontentexecutionfrominternet").value_or(0) != 0;
    p.requireAddinSignature = FirstDword(reg, keys, L"RequireAddinSig").value_or(0) != 0;
    p.disableAllAddins = FirstDword(reg, keys, L"DisableAllAddins").value_or(0) != 0;
    return p;
}

PolicyFindings JudgePolicies(const MacroPolicy& p, bool trusted, bool marked) {
    PolicyFindings f;
    // A file in a trusted location opens with its macros on: neither the macro setting nor the
    // internet block nor its mark applies to it.
    if (!trusted) {
        if (p.vbaWarnings == 4u) f.problems.push_back("macros-disabled");
        // Only signed macros run: whether the add-in's VBA project carries a trusted signature is
        // not read here, so it is told, not counted.
        if (p.vbaWarnings == 3u) f.notes.push_back("macros-signed-only");
        if (marked && p.blockFromInternet) f.problems.push_back("internet-macros-blocked");
        if (marked) f.problems.push_back("marked");
    }
    // Microsoft's description of these two add-in settings names the application add-ins they
    // govern as ".wll, .xll, and .xlam files", not .xla files written in VBA:
    // https://learn.microsoft.com/en-us/previous-versions/office/office-2010/ee857086(v=office.14)
    // ("Plan security settings for add-ins for Office 2010"). A problem must be certain, since
    // doctor's exit code 1 feeds fleet reports, so they are told as notes.
    if (p.requireAddinSignature) f.notes.push_back("addin-signature-required");
    if (p.disableAllAddins) f.notes.push_back("addins-disabled");
    return f;
}

std::vector<TrustedLocation> TrustedLocations(Registry& reg, Drives& drives, int excelVersion) {
    const auto excelKeys = SettingKeys(excelVersion, L"Excel\\Security\\Trusted Locations", true);
    if (FirstDword(reg, excelKeys, L"AllLocationsDisabled").value_or(0) != 0) return {};
    // The Office-wide policy can turn the user's own locations off; the policy's locations stay.
    const bool userLocations =
        FirstDword(reg, SettingKeys(excelVersion, L"Common\\Security\\Trusted Locations", false), L"Allow User Locations")
            .value_or(1) != 0;
    // One answer for every location, the policy's where it gives one: Excel passes over a
    // location on the network (a share, or a drive letter mapped to one) unless it is allowed.
    const bool network = FirstDword(reg, excelKeys, L"AllowNetworkLocations").value_or(0) != 0;
    std::vector<TrustedLocation> locations;
    for (const std::wstring& key : excelKeys) {
        if (key == excelKeys.back() && !userLocations) continue;  // the user's own key comes last
        for (const auto& sub : reg.SubkeyNames(key)) {
            const std::wstring location = key + L"\\" + sub;
            const auto path = reg.GetExpandedString(location, L"Path");
            if (!path || paths::WithoutClosingSeparator(*path).empty()) continue;
            if (!network && IsNetworkPath(*path, drives)) continue;
            locations.push_back({paths::WithoutClosingSeparator(*path), reg.GetDword(location, L"AllowSubfolders").value_or(0) != 0});
        }
    }
    return locations;
}

bool InTrustedLocation(const std::vector<TrustedLocation>& locations, const std::wstring& folder, SystemInfo& sys) {
    const std::wstring f = paths::WithoutClosingSeparator(folder);
    for (const auto& l : locations) {
        if (sys.SamePath(f, l.path)) return true;
        if (l.subfolders && f.size() > l.path.size() && f[l.path.size()] == L'\\' && sys.SamePath(f.substr(0, l.path.size()), l.path))
            return true;
    }
    return false;
}

void Doctor(World& w, Reporter& r, const Options& o, const excel::Facts& facts) {
    const auto list = ReadAddinList(w.svc);
    // Excel writes its list into the registry as it ends: the values are read once it has.
    w.svc.excel.WaitForInstancesToEnd(excel::kExcelExitWaitMs);
    const RegistryView view = ReadRegistry(w.svc.reg, w.svc.drives, facts);

    std::vector<ListedAddin> chosen;
    if (o.operands.empty()) chosen = list;
    for (const auto& name : o.operands) {
        Item item;
        item.target = name;
        std::vector<ListedAddin> hold;
        if (const ListedAddin* a = Resolve(r, list, name, item, hold)) chosen.push_back(*a);
        else r.Add(std::move(item));
    }
    if (list.empty() && o.operands.empty()) r.Text(r.T(texts::kNoCandidates) + std::wstring(L"\n"));
    for (const auto& a : chosen) r.Add(Diagnose(w, r, facts, view, a));
}

}  // namespace qv::console
