// Reads the title from the file's "\005SummaryInformation" stream and decodes it in the
// property set's own code page (932, 1252, 65001, 1200 … in real add-ins), whatever the
// process's ANSI code page is.
#include "com/title.h"

#include <windows.h>
#include <objbase.h>

#include "model/summary_title.h"
#include "platform/win32/handles.h"

namespace qv::standin::com {

std::wstring ReadFileTitle(const std::wstring& fullPath) {
    using qv::win32::ComPtr;
    ComPtr<IStorage> storage;
    if (FAILED(StgOpenStorage(fullPath.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                              storage.put())))
        return L"";
    ComPtr<IStream> stream;
    if (FAILED(storage->OpenStream(L"\005SummaryInformation", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                   stream.put())))
        return L"";
    STATSTG st{};
    if (FAILED(stream->Stat(&st, STATFLAG_NONAME)) || st.cbSize.QuadPart > 16 * 1024 * 1024) return L"";
    std::vector<std::uint8_t> bytes(static_cast<size_t>(st.cbSize.QuadPart));
    ULONG got = 0;
    if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got))) return L"";
    bytes.resize(got);
    auto text = SummaryTitle(bytes);
    if (!text || text->bytes.empty()) return L"";
    if (text->utf16) {
        std::wstring w(text->bytes.size() / 2, L'\0');
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = static_cast<wchar_t>(static_cast<unsigned char>(text->bytes[2 * i]) |
                                        static_cast<unsigned char>(text->bytes[2 * i + 1]) << 8);
        return w;
    }
    UINT codePage = text->codePage > 0 ? static_cast<UINT>(text->codePage) : CP_ACP;
    int n = MultiByteToWideChar(codePage, 0, text->bytes.data(), static_cast<int>(text->bytes.size()), nullptr, 0);
    if (n <= 0) return L"";
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text->bytes.data(), static_cast<int>(text->bytes.size()), w.data(), n);
    return w;
}

}  // namespace qv::standin::com
