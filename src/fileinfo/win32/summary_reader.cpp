#include "fileinfo/win32/summary_reader.h"

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/texts.h"

namespace qv::win32 {

namespace {

// Larger summary streams are not add-in files' summaries.
constexpr ULONGLONG kMaxStream = 1u << 20;

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

// The raw bytes of the summary stream; nullopt when the document has none, empty when it
// cannot be read.
std::optional<std::string> SummaryStreamOf(IStorage* stg) {
    ComPtr<IStream> stream;
    if (FAILED(stg->OpenStream(L"\005SummaryInformation", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put())))
        return std::nullopt;
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > kMaxStream) return std::string();
    std::string data(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG got = 0;
    if (FAILED(stream->Read(data.data(), static_cast<ULONG>(data.size()), &got))) return std::string();
    data.resize(got);
    return data;
}

}  // namespace

std::optional<std::wstring> DecodeCodePage(std::string_view bytes, unsigned codePage) {
    if (bytes.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return w;
}

std::optional<SummaryText> ReadSummarySet(const std::wstring& path) {
    RequireFile(path);
    ComPtr<IStorage> stg = OpenDocument(path);
    if (!stg) return std::nullopt;
    auto stream = SummaryStreamOf(stg.get());
    if (!stream) return std::nullopt;
    return DecodeSummary(ParseSummaryStream(*stream), &DecodeCodePage);
}

SummaryText ReadSummary(const std::wstring& path) { return ReadSummarySet(path).value_or(SummaryText{}); }

}  // namespace qv::win32
