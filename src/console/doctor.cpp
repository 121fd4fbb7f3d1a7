#include "console/doctor.h"

#include <algorithm>

#include "console/utf8.h"
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
inline constexpr Text kDoctorManagerMissing{L"非動作中ですが、Add-in Manager の値がありません",
                                            L"switched off, but no Add-in Manager value names it"};

}  // namespace texts

namespace {

std::wstring ExcelKey(int version) { return L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Excel"; }
std::wstring PolicyExcelKey(int version) {
    return L"Software\\Policies\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Excel";
}
constexpr const wchar_t* kTrustedLocations = L"\\Security\\Trusted Locations";

std::uint32_t DwordAt(const std::vector<std::uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// What the registry holds for the add-ins, read once.
struct RegistryView {
    std::vector<RegValue> options, manager;
    std::vector<std::wstring> disabled;
    std::vector<TrustedLocation> trusted;
};

RegistryView ReadRegistry(Registry& reg, const excel::Facts& facts) {
    RegistryView v;
    v.options = reg.StringValues(ExcelOptionsKey(facts.version));
    v.manager = reg.StringValues(AddinManagerKey(facts.version));
    for (const auto& value : reg.BinaryValues(ExcelKey(facts.version) + L"\\Resiliency\\DisabledItems"))
        if (auto path = DisabledItemPath(value.data)) v.disabled.push_back(*path);
    v.trusted = TrustedLocations(reg, facts.version);
    return v;
}

bool NamesEqual(const std::vector<std::wstring>& paths, const std::wstring& fullName) {
    for (const auto& p : paths)
        if (paths::EqualNoCase(p, fullName)) return true;
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

    std::optional<int> zone;
    if (state == FileState::Present) {
        const ZoneStream stream = w.svc.fs.ReadZoneStream(a.FullName());
        if (stream.state == StreamState::Present) zone = ZoneIdOf(stream.text);
        if (IsMarkedFromInternet(zone)) {
            parts.push_back(r.T(texts::kDoctorMarked) + L" (ZoneId=" + std::to_wstring(*zone) + L")");
            problems.push_back("marked");
        } else {
            parts.push_back(zone ? L"ZoneId=" + std::to_wstring(*zone) : r.T(texts::kDoctorNotMarked));
        }
    }

    const bool disabled = NamesEqual(v.disabled, a.FullName());
    parts.push_back(r.T(disabled ? texts::kDoctorDisabled : texts::kDoctorNotDisabled));
    if (disabled) problems.push_back("disabled");

    const bool trusted = InTrustedLocation(v.trusted, a.Path());
    parts.push_back(r.T(trusted ? texts::kDoctorTrusted : texts::kDoctorNotTrusted));

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
                           {"problems", problems}};
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

std::vector<TrustedLocation> TrustedLocations(Registry& reg, int excelVersion) {
    std::vector<TrustedLocation> locations;
    for (const std::wstring& excel : {ExcelKey(excelVersion), PolicyExcelKey(excelVersion)}) {
        const std::wstring key = excel + kTrustedLocations;
        if (reg.GetDword(key, L"AllLocationsDisabled").value_or(0) != 0) return {};
        // Excel passes over a location on a server share unless network locations are allowed.
        const bool network = reg.GetDword(key, L"AllowNetworkLocations").value_or(0) != 0;
        for (const auto& sub : reg.SubkeyNames(key)) {
            const std::wstring location = key + L"\\" + sub;
            const auto path = reg.GetExpandedString(location, L"Path");
            if (!path || paths::WithoutClosingSeparator(*path).empty()) continue;
            if (paths::IsNetworkPath(*path) && !network) continue;
            locations.push_back({paths::WithoutClosingSeparator(*path), reg.GetDword(location, L"AllowSubfolders").value_or(0) != 0});
        }
    }
    return locations;
}

bool InTrustedLocation(const std::vector<TrustedLocation>& locations, const std::wstring& folder) {
    const std::wstring f = paths::WithoutClosingSeparator(folder);
    for (const auto& l : locations) {
        if (paths::EqualNoCase(f, l.path)) return true;
        if (l.subfolders && f.size() > l.path.size() && f[l.path.size()] == L'\\' &&
            paths::EqualNoCase(f.substr(0, l.path.size()), l.path))
            return true;
    }
    return false;
}

void Doctor(World& w, Reporter& r, const Options& o, const excel::Facts& facts) {
    const auto list = ReadAddinList(w.svc);
    // Excel writes its list into the registry as it ends: the values are read once it has.
    w.svc.excel.WaitForInstancesToEnd(excel::kExcelExitWaitMs);
    const RegistryView view = ReadRegistry(w.svc.reg, facts);

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
