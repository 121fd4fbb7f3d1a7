#include "fileinfo/win32/storage_details.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "window/texts.h"

namespace qv::win32 {

namespace {

constexpr unsigned kCodePageUnicode = 1200;

// The headers of the Japanese details view, ending with an empty one.
constexpr std::array<const wchar_t*, 17> kHeaders = {
    texts::kHeaderName,     texts::kHeaderSize,     texts::kHeaderType,       texts::kHeaderModified,
    texts::kHeaderCreated,  texts::kHeaderAccessed, texts::kHeaderAttributes, texts::kHeaderStatus,
    texts::kHeaderOwner,    texts::kHeaderAuthor,   texts::kHeaderTitle,      texts::kHeaderSubject,
    texts::kHeaderCategory, texts::kHeaderPages,    texts::kHeaderComments,   texts::kHeaderCopyright,
    L""};

// Property types and identifiers of the summary set, as stored in the stream.
constexpr uint32_t kTypeI2 = 2;       // VT_I2
constexpr uint32_t kTypeLpstr = 30;   // VT_LPSTR
constexpr uint32_t kTypeLpwstr = 31;  // VT_LPWSTR
constexpr uint32_t kPidCodePage = 1;
constexpr uint32_t kPidTitle = 2;
constexpr uint32_t kPidAuthor = 4;
// FMTID_SummaryInformation {F29F85E0-4FF9-1068-AB91-08002B27B3D9} in stream byte order.
constexpr unsigned char kSummaryFmtid[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                             0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
// Larger summary streams are not add-in files' summaries.
constexpr ULONGLONG kMaxStream = 1u << 20;

// Little-endian reads that fail instead of running past the end.
class Bytes {
public:
    explicit Bytes(std::string_view b) : b_(b) {}
    bool U16(size_t at, uint32_t& out) const {
        if (at > b_.size() || b_.size() - at < 2) return false;
        out = Byte(at) | (Byte(at + 1) << 8);
        return true;
    }
    bool U32(size_t at, uint32_t& out) const {
        if (at > b_.size() || b_.size() - at < 4) return false;
        out = Byte(at) | (Byte(at + 1) << 8) | (Byte(at + 2) << 16) | (Byte(at + 3) << 24);
        return true;
    }
    bool Slice(size_t at, size_t n, std::string_view& out) const {
        if (at > b_.size() || b_.size() - at < n) return false;
        out = b_.substr(at, n);
        return true;
    }

private:
    uint32_t Byte(size_t i) const { return static_cast<unsigned char>(b_[i]); }
    std::string_view b_;
};

std::wstring TrimNuls(std::wstring s) {
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    return s;
}

// Keeps "no such file" apart from "no summary in it".
void RequireFile(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    DWORD err = attrs == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_FILE_NOT_FOUND;
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY))
        throw Failure(texts::kOpFileDetails, SystemMessage(err) + L" (" + path + L")", static_cast<long>(err));
}

ComPtr<IStorage> OpenDocument(const std::wstring& path) {
    ComPtr<IStorage> stg;
    HRESULT hr = StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, stg.put());
    if (FAILED(hr) && hr != STG_E_FILEALREADYEXISTS) {
        // Someone holds the file open for writing: a transacted view still reads it.
        StgOpenStorage(path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_NONE | STGM_TRANSACTED, nullptr, 0,
                       stg.put());
    }
    return stg;
}

class StorageDetails : public FileDetails {
public:
    StorageDetails(std::wstring name, SummaryText summary) : name_(std::move(name)), summary_(std::move(summary)) {}
    std::wstring Header(int column) override {
        return column >= 0 && column < static_cast<int>(kHeaders.size()) ? kHeaders[column] : L"";
    }
    std::wstring Value(int column) override {
        std::wstring h = Header(column);
        if (h == texts::kHeaderName) return name_;
        if (h == texts::kHeaderAuthor) return summary_.author;
        if (h == texts::kHeaderTitle) return summary_.title;
        return L"";
    }

private:
    std::wstring name_;
    SummaryText summary_;
};

}  // namespace

std::wstring DecodePropertyText(std::string_view bytes, unsigned codePage) {
    if (codePage == kCodePageUnicode) {
        std::wstring w(bytes.size() / 2, L'\0');
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        return TrimNuls(w);
    }
    while (!bytes.empty() && bytes.back() == '\0') bytes.remove_suffix(1);
    if (bytes.empty()) return L"";
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) {
        // A code page this system cannot convert: keep the bytes as Latin-1 rather than lose them.
        std::wstring w;
        for (char c : bytes) w.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return w;
    }
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return TrimNuls(w);
}

SummaryText ParseSummaryStream(std::string_view stream) {
    SummaryText r;
    Bytes b(stream);
    uint32_t byteOrder = 0, sections = 0;
    if (!b.U16(0, byteOrder) || byteOrder != 0xFFFE || !b.U32(24, sections)) return r;
    // The section list follows the 28-byte header: FMTID then offset, 20 bytes each.
    uint32_t section = 0;
    bool found = false;
    for (uint32_t i = 0; i < sections && i < 16 && !found; ++i) {
        std::string_view fmtid;
        size_t entry = 28 + 20 * static_cast<size_t>(i);
        if (!b.Slice(entry, 16, fmtid) || !b.U32(entry + 16, section)) return r;
        found = std::equal(fmtid.begin(), fmtid.end(), std::begin(kSummaryFmtid),
                           [](char x, unsigned char y) { return static_cast<unsigned char>(x) == y; });
    }
    uint32_t count = 0;
    if (!found || !b.U32(static_cast<size_t>(section) + 4, count)) return r;

    // The code page is found first, wherever it stands in the list; the texts are decoded in it.
    // A set without one is taken as Western, the code page of the oldest writers.
    unsigned codePage = 1252;
    std::string_view raw[2];
    bool wide[2] = {false, false};
    for (uint32_t i = 0; i < count && i < 4096; ++i) {
        uint32_t pid = 0, offset = 0, type = 0;
        size_t entry = static_cast<size_t>(section) + 8 + 8 * static_cast<size_t>(i);
        if (!b.U32(entry, pid) || !b.U32(entry + 4, offset)) break;
        size_t at = static_cast<size_t>(section) + offset;
        if (!b.U32(at, type)) continue;
        type &= 0xFFFF;
        if (pid == kPidCodePage && type == kTypeI2) {
            uint32_t cp = 0;
            if (b.U16(at + 4, cp)) codePage = cp;  // an unsigned number in an I2: 65001 reads as -535
            continue;
        }
        if ((pid != kPidTitle && pid != kPidAuthor) || (type != kTypeLpstr && type != kTypeLpwstr)) continue;
        uint32_t n = 0;
        std::string_view text;
        // An 8-bit string counts bytes, a wide one counts characters.
        if (!b.U32(at + 4, n) || !b.Slice(at + 8, type == kTypeLpwstr ? 2 * static_cast<size_t>(n) : n, text)) continue;
        int k = pid == kPidTitle ? 0 : 1;
        raw[k] = text;
        wide[k] = type == kTypeLpwstr;
    }
    r.title = DecodePropertyText(raw[0], wide[0] ? kCodePageUnicode : codePage);
    r.author = DecodePropertyText(raw[1], wide[1] ? kCodePageUnicode : codePage);
    return r;
}

SummaryText ReadSummary(const std::wstring& path) {
    RequireFile(path);
    ComPtr<IStorage> stg = OpenDocument(path);
    if (!stg) return {};
    // The stream is decoded here rather than through IPropertyStorage::ReadMultiple: Wine's
    // ReadMultiple converts 8-bit texts into the ANSI code page, which drops a UTF-8 Japanese
    // title entirely unless that code page happens to be Japanese.
    ComPtr<IStream> stream;
    if (FAILED(stg->OpenStream(L"\005SummaryInformation", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put())))
        return {};
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > kMaxStream) return {};
    std::string data(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG got = 0;
    if (FAILED(stream->Read(data.data(), static_cast<ULONG>(data.size()), &got))) return {};
    data.resize(got);
    return ParseSummaryStream(data);
}

std::unique_ptr<FileDetails> OpenStorageDetails(const std::wstring& folder, const std::wstring& fileName) {
    if (folder.empty())
        throw Failure(texts::kOpFileDetails, SystemMessage(ERROR_PATH_NOT_FOUND) + L" (" + fileName + L")",
                      static_cast<long>(ERROR_PATH_NOT_FOUND));
    std::wstring path = folder;
    if (path.back() != L'\\') path += L'\\';
    path += fileName;
    return std::make_unique<StorageDetails>(fileName, ReadSummary(path));
}

}  // namespace qv::win32
