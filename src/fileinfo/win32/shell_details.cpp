#include "fileinfo/win32/shell_details.h"

#include <initializer_list>
#include <vector>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/texts.h"

namespace qv::win32 {

namespace {

// Calls method `name` of `obj` with `args` in natural order; the result lands in `result`.
HRESULT CallMethod(IDispatch* obj, const wchar_t* name, std::initializer_list<const VARIANT*> args, Variant& result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = obj->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    // IDispatch takes its arguments last first. The copies are shallow: `args` keep ownership.
    std::vector<VARIANT> reversed(args.size());
    size_t i = args.size();
    for (const VARIANT* a : args) reversed[--i] = *a;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO info{};
    UINT argErr = 0;
    hr = obj->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), &info, &argErr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

// The dispatch pointer a call returned, owned by the caller; null when it returned none.
ComPtr<IDispatch> TakeDispatch(Variant& v) {
    if (v.vt() != VT_DISPATCH || !v.get()->pdispVal) return {};
    return ComPtr<IDispatch>(v.get()->pdispVal, true);
}

[[noreturn]] void NotFound(const std::wstring& what, DWORD code) {
    throw Failure(texts::kOpFileDetails, SystemMessage(code) + L" (" + what + L")", static_cast<long>(code));
}

class ShellDetails : public FileDetails {
public:
    ShellDetails(ComPtr<IDispatch> shell, ComPtr<IDispatch> folder, ComPtr<IDispatch> item, const std::wstring& name)
        : shell_(std::move(shell)), folder_(std::move(folder)), item_(std::move(item)),
          name_(Variant::FromString(name)) {}

    // GetDetailsOf with the file name in place of an item gives the column's header.
    std::wstring Header(int column) override { return Details(*name_.get(), column); }

    std::wstring Value(int column) override {
        // A plain VARIANT that borrows the item: nothing to release.
        VARIANT item;
        VariantInit(&item);
        item.vt = VT_DISPATCH;
        item.pdispVal = item_.get();
        return Details(item, column);
    }

    // Whether GetDetailsOf works at all on this system.
    bool Works() {
        Variant out;
        Variant col = Variant::FromLong(0);
        return SUCCEEDED(CallMethod(folder_.get(), L"GetDetailsOf", {name_.get(), col.get()}, out));
    }

private:
    std::wstring Details(const VARIANT& what, int column) {
        Variant out;
        Variant col = Variant::FromLong(column);
        HRESULT hr = CallMethod(folder_.get(), L"GetDetailsOf", {&what, col.get()}, out);
        if (FAILED(hr)) throw Failure(texts::kOpFileDetails, SystemMessage(static_cast<DWORD>(hr)), hr);
        if (out.vt() != VT_BSTR && FAILED(VariantChangeType(out.get(), out.get(), 0, VT_BSTR))) return L"";
        BSTR b = out.get()->bstrVal;
        return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
    }

    // Released in reverse order: item, folder, then the shell object.
    ComPtr<IDispatch> shell_;
    ComPtr<IDispatch> folder_;
    ComPtr<IDispatch> item_;
    Variant name_;
};

}  // namespace

std::unique_ptr<FileDetails> OpenShellDetails(const std::wstring& folder, const std::wstring& fileName) {
    if (folder.empty()) NotFound(fileName, ERROR_PATH_NOT_FOUND);
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"Shell.Application", &clsid))) return nullptr;
    ComPtr<IDispatch> shell;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, shell.put_void()))) return nullptr;

    // "C:" alone would name the drive's current folder, not its root.
    std::wstring dir = folder.back() == L':' ? folder + L"\\" : folder;
    Variant dirArg = Variant::FromString(dir);
    Variant folderOut;
    if (FAILED(CallMethod(shell.get(), L"NameSpace", {dirArg.get()}, folderOut))) return nullptr;
    ComPtr<IDispatch> folderObj = TakeDispatch(folderOut);
    if (!folderObj) NotFound(folder, ERROR_PATH_NOT_FOUND);

    Variant nameArg = Variant::FromString(fileName);
    Variant itemOut;
    if (FAILED(CallMethod(folderObj.get(), L"ParseName", {nameArg.get()}, itemOut))) return nullptr;
    ComPtr<IDispatch> item = TakeDispatch(itemOut);
    if (!item) NotFound(folder + L"\\" + fileName, ERROR_FILE_NOT_FOUND);

    auto details = std::make_unique<ShellDetails>(std::move(shell), std::move(folderObj), std::move(item), fileName);
    if (!details->Works()) return nullptr;
    return details;
}

}  // namespace qv::win32
