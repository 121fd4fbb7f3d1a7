// Reads the title straight from the file's summary property set through the structured-storage
// API. Text stored as VT_LPSTR is in the property set's own code page (PID_CODEPAGE), which
// real add-ins set to 932, 1252, 65001 and others, so CP_ACP would garble it.
#include "com/title.h"

#include <windows.h>
#include <objbase.h>
#include <propidl.h>

#include "platform/win32/handles.h"

namespace qv::standin::com {
namespace {

using qv::win32::ComPtr;

std::wstring Decode(const char* text, UINT codePage) {
    if (!text || !*text) return L"";
    int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0) return L"";
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, w.data(), n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

}  // namespace

std::wstring ReadFileTitle(const std::wstring& fullPath) {
    ComPtr<IStorage> storage;
    if (FAILED(StgOpenStorage(fullPath.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                              storage.put())))
        return L"";
    auto sets = storage.query<IPropertySetStorage>();
    if (!sets) return L"";
    ComPtr<IPropertyStorage> props;
    if (FAILED(sets->Open(FMTID_SummaryInformation, STGM_READ | STGM_SHARE_EXCLUSIVE, props.put()))) return L"";
    PROPSPEC spec[2];
    spec[0].ulKind = PRSPEC_PROPID;
    spec[0].propid = PID_CODEPAGE;
    spec[1].ulKind = PRSPEC_PROPID;
    spec[1].propid = PIDSI_TITLE;
    PROPVARIANT value[2];
    PropVariantInit(&value[0]);
    PropVariantInit(&value[1]);
    std::wstring title;
    if (SUCCEEDED(props->ReadMultiple(2, spec, value))) {
        UINT codePage = CP_ACP;
        if (value[0].vt == VT_I2) codePage = static_cast<UINT>(static_cast<USHORT>(value[0].iVal));
        if (value[1].vt == VT_LPWSTR && value[1].pwszVal) title = value[1].pwszVal;
        else if (value[1].vt == VT_LPSTR) title = Decode(value[1].pszVal, codePage == 1200 ? CP_UTF8 : codePage);
    }
    PropVariantClear(&value[0]);
    PropVariantClear(&value[1]);
    return title;
}

}  // namespace qv::standin::com
