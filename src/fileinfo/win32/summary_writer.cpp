#include "fileinfo/win32/summary_writer.h"

#include <propidl.h>

#include <cstdint>
#include <vector>

#include "platform/win32/handles.h"

namespace qv::win32 {

namespace {

constexpr unsigned kCodePageUnicode = 1200;
constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

std::string Encode(const std::wstring& text, unsigned codePage) {
    if (codePage == kCodePageUnicode) {
        std::string s;
        for (wchar_t c : text) {
            s.push_back(static_cast<char>(c & 0xFF));
            s.push_back(static_cast<char>((c >> 8) & 0xFF));
        }
        return s;
    }
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), s.data(), n, nullptr, nullptr);
    return s;
}

void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Set32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

bool WriteXlaFixture(const std::wstring& path, const std::wstring& title, const std::wstring& author) {
    ComPtr<IStorage> stg;
    if (FAILED(StgCreateDocfile(path.c_str(), kCreate, 0, stg.put()))) return false;
    auto sets = stg.query<IPropertySetStorage>();
    if (!sets) return false;
    ComPtr<IPropertyStorage> props;
    if (FAILED(sets->Create(FMTID_SummaryInformation, nullptr, PROPSETFLAG_DEFAULT, kCreate, props.put()))) return false;

    std::vector<PROPSPEC> specs;
    std::vector<PROPVARIANT> values;
    std::wstring texts[2] = {title, author};
    const PROPID ids[2] = {PIDSI_TITLE, PIDSI_AUTHOR};
    for (int i = 0; i < 2; ++i) {
        if (texts[i].empty()) continue;
        PROPSPEC s{};
        s.ulKind = PRSPEC_PROPID;
        s.propid = ids[i];
        PROPVARIANT v{};
        v.vt = VT_LPWSTR;
        v.pwszVal = texts[i].data();  // only read by WriteMultiple
        specs.push_back(s);
        values.push_back(v);
    }
    if (!specs.empty() &&
        FAILED(props->WriteMultiple(static_cast<ULONG>(specs.size()), specs.data(), values.data(), PID_FIRST_USABLE)))
        return false;
    if (FAILED(props->Commit(STGC_DEFAULT))) return false;
    props.reset();
    return SUCCEEDED(stg->Commit(STGC_DEFAULT));
}

std::string BuildSummaryStream(const std::wstring& title, const std::wstring& author, unsigned codePage) {
    struct Prop {
        uint32_t id;
        std::string value;  // type and data, padded to 4 bytes
    };
    std::vector<Prop> props;
    std::string cp;
    Put32(cp, VT_I2);
    Put32(cp, codePage & 0xFFFF);  // the I2 and two bytes of padding
    props.push_back({PID_CODEPAGE, cp});
    auto text = [&](uint32_t id, const std::wstring& t) {
        if (t.empty()) return;
        std::string bytes = Encode(t, codePage);
        bytes.append(codePage == kCodePageUnicode ? 2 : 1, '\0');
        std::string v;
        Put32(v, VT_LPSTR);
        Put32(v, static_cast<uint32_t>(bytes.size()));
        v += bytes;
        while (v.size() % 4) v.push_back('\0');
        props.push_back({id, v});
    };
    text(PIDSI_TITLE, title);
    text(PIDSI_AUTHOR, author);

    std::string s;
    Put32(s, 0x0000FFFE);  // byte order mark, format version 0
    Put32(s, 0x00020006);  // originating system: Win32, version 6.0
    s.append(16, '\0');    // class id
    Put32(s, 1);           // one section
    const GUID& f = FMTID_SummaryInformation;
    s.append(reinterpret_cast<const char*>(&f), sizeof f);
    Put32(s, static_cast<uint32_t>(s.size() + 4));
    size_t section = s.size();
    Put32(s, 0);  // section size, set below
    Put32(s, static_cast<uint32_t>(props.size()));
    size_t table = s.size();
    s.append(8 * props.size(), '\0');
    for (size_t i = 0; i < props.size(); ++i) {
        Set32(s, table + 8 * i, props[i].id);
        Set32(s, table + 8 * i + 4, static_cast<uint32_t>(s.size() - section));
        s += props[i].value;
    }
    Set32(s, section, static_cast<uint32_t>(s.size() - section));
    return s;
}

bool WriteXlaFixtureInCodePage(const std::wstring& path, const std::wstring& title, const std::wstring& author,
                               unsigned codePage) {
    ComPtr<IStorage> stg;
    if (FAILED(StgCreateDocfile(path.c_str(), kCreate, 0, stg.put()))) return false;
    ComPtr<IStream> stream;
    if (FAILED(stg->CreateStream(L"\005SummaryInformation", kCreate, 0, 0, stream.put()))) return false;
    std::string data = BuildSummaryStream(title, author, codePage);
    ULONG written = 0;
    if (FAILED(stream->Write(data.data(), static_cast<ULONG>(data.size()), &written)) || written != data.size())
        return false;
    stream.reset();
    return SUCCEEDED(stg->Commit(STGC_DEFAULT));
}

}  // namespace qv::win32
