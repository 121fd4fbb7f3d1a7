#include "com/gate.h"

#include <algorithm>
#include <cwchar>

#include "platform/win32/handles.h"

namespace qv::standin::com {
namespace {

struct Gate {
    unsigned long busyMs = 0;
    DWORD busyFrom = 0;
    bool busySet = false;
    bool noticeOpen = false;
    bool rejectAll = false;
    std::vector<unsigned long> languages{kLcidEnglishUs};
    HANDLE log = INVALID_HANDLE_VALUE;
};

Gate& TheGate() {
    static Gate g;
    return g;
}

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

// A field of the log holds neither its separator nor a line break.
std::wstring Field(std::wstring s) {
    for (auto& c : s)
        if (c == L'|' || c == L'\r' || c == L'\n') c = L' ';
    return s;
}

}  // namespace

void StartGate(const Settings& settings) {
    Gate& g = TheGate();
    g.busyMs = settings.busyMilliseconds;
    g.languages = settings.languages;
    if (!settings.callLog.empty() && g.log == INVALID_HANDLE_VALUE)
        g.log = CreateFileW(settings.callLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    MakeBusy();
}

void MakeBusy() {
    Gate& g = TheGate();
    g.busyFrom = GetTickCount();
    g.busySet = true;
}

bool IsBusy() {
    const Gate& g = TheGate();
    return g.busySet && GetTickCount() - g.busyFrom < g.busyMs;
}

void SetNoticeOpen(bool open) { TheGate().noticeOpen = open; }

void RejectEveryCall() { TheGate().rejectAll = true; }

HRESULT Refusal() {
    const Gate& g = TheGate();
    if (g.rejectAll) return kRejected;
    return g.noticeOpen || IsBusy() ? kBusy : S_OK;
}

bool ServesLanguage(LCID lcid) {
    if (lcid == LOCALE_USER_DEFAULT) lcid = GetUserDefaultLCID();
    else if (lcid == LOCALE_SYSTEM_DEFAULT) lcid = GetSystemDefaultLCID();
    if (lcid == LOCALE_NEUTRAL) return true;
    const auto& langs = TheGate().languages;
    return std::find(langs.begin(), langs.end(), static_cast<unsigned long>(lcid)) != langs.end();
}

void LogCall(const wchar_t* objectClass, const std::wstring& member, unsigned flags, LCID lcid,
             const std::wstring& arguments, HRESULT result) {
    HANDLE log = TheGate().log;
    if (log == INVALID_HANDLE_VALUE) return;
    wchar_t numbers[96];
    std::swprintf(numbers, 96, L"%lu|", static_cast<unsigned long>(GetCurrentProcessId()));
    std::wstring line = numbers;
    line += Field(objectClass) + L"|" + Field(member) + L"|";
    std::swprintf(numbers, 96, L"%u|%lu|", flags, static_cast<unsigned long>(lcid));
    line += numbers + Field(arguments);
    std::swprintf(numbers, 96, L"|0x%08lX\n", static_cast<unsigned long>(result));
    line += numbers;
    // One write per line, so lines of several processes appending to one file never mix.
    std::string bytes = Utf8(line);
    DWORD written = 0;
    WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring ArgumentText(const VARIANT& v) {
    const VARIANT* p = &v;
    while (p->vt == (VT_BYREF | VT_VARIANT) && p->pvarVal) p = p->pvarVal;
    if (p->vt == VT_ERROR && p->scode == DISP_E_PARAMNOTFOUND) return L"<missing>";
    if (p->vt == VT_EMPTY) return L"<empty>";
    if (p->vt == VT_DISPATCH || p->vt == VT_UNKNOWN) return L"<object>";
    if (p->vt & VT_ARRAY) return L"<array>";
    if (p->vt == VT_BOOL) return p->boolVal != VARIANT_FALSE ? L"True" : L"False";
    qv::win32::Variant text;
    if (FAILED(VariantChangeType(text.get(), const_cast<VARIANT*>(p), 0, VT_BSTR))) return L"<?>";
    return std::wstring(text.get()->bstrVal, SysStringLen(text.get()->bstrVal));
}

}  // namespace qv::standin::com
