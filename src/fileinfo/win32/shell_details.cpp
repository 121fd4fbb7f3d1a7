#include "fileinfo/win32/shell_details.h"

#include <utility>

#include "excel/com/dispatch.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/win32/handles.h"
#include "platform/texts.h"

namespace qv::win32 {

namespace {

using excel::com::Dispatch;

// Calls method `name` of `obj` through the Excel boundary's invoker, which also waits out a
// busy server. The HRESULT comes back instead of an exception, for the callers that fall back.
template <class... A>
HRESULT CallMethod(const Dispatch& obj, const wchar_t* name, Variant& result, A&&... args) {
    try {
        result = obj.call(name, std::forward<A>(args)...);
        return S_OK;
    } catch (const excel::ExcelError& e) {
        return e.HResult() < 0 ? static_cast<HRESULT>(e.HResult()) : E_FAIL;
    }
}

// The object a call returned; empty when it returned none.
Dispatch TakeDispatch(Variant& v) {
    if (v.vt() != VT_DISPATCH || !v.get()->pdispVal) return {};
    return Dispatch(ComPtr<IDispatch>(v.get()->pdispVal, true));
}

// A VARIANT that holds its own reference to `d`.
Variant Holding(const Dispatch& d) {
    d.raw()->AddRef();
    return Variant::FromDispatch(d.raw());
}

[[noreturn]] void NotFound(const std::wstring& what, DWORD code) {
    throw Failure(texts::kOpFileDetails, SystemMessage(code) + L" (" + what + L")", static_cast<long>(code));
}

class ShellDetails : public FileDetails {
public:
    ShellDetails(Dispatch shell, Dispatch folder, Dispatch item, const std::wstring& name)
        : shell_(std::move(shell)), folder_(std::move(folder)), item_(std::move(item)), name_(name) {}

    // GetDetailsOf with the file name in place of an item gives the column's header.
    std::wstring Header(int column) override { return Details(Variant::FromString(name_), column); }

    std::wstring Value(int column) override { return Details(Holding(item_), column); }

    // Whether GetDetailsOf works at all on this system.
    bool Works() {
        Variant out;
        return SUCCEEDED(CallMethod(folder_, L"GetDetailsOf", out, name_, 0));
    }

private:
    std::wstring Details(Variant what, int column) {
        Variant out;
        HRESULT hr = CallMethod(folder_, L"GetDetailsOf", out, std::move(what), column);
        if (FAILED(hr)) throw Failure(texts::kOpFileDetails, SystemMessage(static_cast<DWORD>(hr)), hr);
        if (out.vt() != VT_BSTR && FAILED(VariantChangeType(out.get(), out.get(), 0, VT_BSTR))) return L"";
        BSTR b = out.get()->bstrVal;
        return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
    }

    // Released in reverse order: item, folder, then the shell object.
    Dispatch shell_;
    Dispatch folder_;
    Dispatch item_;
    std::wstring name_;
};

}  // namespace

std::unique_ptr<FileDetails> OpenShellDetails(const std::wstring& folder, const std::wstring& fileName) {
    if (folder.empty()) NotFound(fileName, ERROR_PATH_NOT_FOUND);
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"Shell.Application", &clsid))) return nullptr;
    ComPtr<IDispatch> created;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, created.put_void()))) return nullptr;
    Dispatch shell(std::move(created));

    // "C:" alone would name the drive's current folder, not its root.
    Variant folderOut;
    if (FAILED(CallMethod(shell, L"NameSpace", folderOut, paths::WithRootSeparator(folder)))) return nullptr;
    Dispatch folderObj = TakeDispatch(folderOut);
    if (!folderObj) NotFound(folder, ERROR_PATH_NOT_FOUND);

    Variant itemOut;
    if (FAILED(CallMethod(folderObj, L"ParseName", itemOut, fileName))) return nullptr;
    Dispatch item = TakeDispatch(itemOut);
    if (!item) NotFound(folder + L"\\" + fileName, ERROR_FILE_NOT_FOUND);

    auto details = std::make_unique<ShellDetails>(std::move(shell), std::move(folderObj), std::move(item), fileName);
    if (!details->Works()) return nullptr;
    return details;
}

}  // namespace qv::win32
