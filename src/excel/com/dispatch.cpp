#include "excel/com/dispatch.h"

#include <cstdio>
#include <stdexcept>

#include "excel/com/patience.h"

namespace qv::excel::com {

namespace {

std::wstring MessageFor(HRESULT hr) {
    std::wstring s = win32::SystemMessage(static_cast<DWORD>(hr));
    if (!s.empty()) return s;
    wchar_t buf[32];
    std::swprintf(buf, 32, L"HRESULT 0x%08lX", static_cast<unsigned long>(hr));
    return buf;
}

[[noreturn]] void Fail(const std::wstring& member, HRESULT hr) {
    throw ExcelError(member, static_cast<long>(hr), MessageFor(hr));
}

// Frees the strings of an EXCEPINFO however the call ended.
class ExcepInfo {
public:
    ExcepInfo() { ZeroMemory(&e_, sizeof e_); }
    ~ExcepInfo() {
        SysFreeString(e_.bstrSource);
        SysFreeString(e_.bstrDescription);
        SysFreeString(e_.bstrHelpFile);
    }
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;
    EXCEPINFO* get() { return &e_; }

    [[noreturn]] void Throw(const std::wstring& member) {
        if (e_.pfnDeferredFillIn) {
            e_.pfnDeferredFillIn(&e_);
            e_.pfnDeferredFillIn = nullptr;
        }
        HRESULT code = FAILED(e_.scode) ? e_.scode : DISP_E_EXCEPTION;
        std::wstring text = e_.bstrDescription ? std::wstring(e_.bstrDescription, SysStringLen(e_.bstrDescription))
                                               : std::wstring();
        if (text.empty()) text = MessageFor(code);
        throw ExcelError(member, static_cast<long>(code), text);
    }

private:
    EXCEPINFO e_;
};

}  // namespace

Dispatch Dispatch::From(Variant v, const std::wstring& member) {
    VARIANT* raw = v.get();
    if (raw->vt == VT_DISPATCH && raw->pdispVal) return Dispatch(ComPtr<IDispatch>(raw->pdispVal, true));
    if (raw->vt == VT_UNKNOWN && raw->punkVal) {
        ComPtr<IDispatch> d;
        HRESULT hr = raw->punkVal->QueryInterface(IID_IDispatch, d.put_void());
        if (FAILED(hr)) Fail(member, hr);
        return Dispatch(std::move(d));
    }
    Fail(member, DISP_E_TYPEMISMATCH);
}

Variant Dispatch::get(const std::wstring& name) const {
    std::vector<Named> none;
    return Invoke(name, false, DISPATCH_PROPERTYGET, none);
}

void Dispatch::put(const std::wstring& name, Arg value) const {
    if (!p_) Fail(name, E_POINTER);
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = CallPatiently([&] { return p_->GetIDsOfNames(IID_NULL, names, 1, kCallLcid, &id); });
    if (FAILED(hr)) Fail(name, hr);
    std::vector<Named> args;
    args.push_back(Named{L"", std::move(value)});
    InvokeId(name, id, DISPATCH_PROPERTYPUT, args, {DISPID_PROPERTYPUT}, false);
}

Variant Dispatch::Invoke(const std::wstring& member, bool defaultMember, WORD flags,
                         std::vector<Named>& args) const {
    if (!p_) Fail(member, E_POINTER);
    std::vector<const wchar_t*> names;
    bool seenNamed = false;
    for (auto& a : args) {
        if (a.name.empty()) {
            if (seenNamed) throw std::logic_error("a positional argument follows a named one");
        } else {
            seenNamed = true;
            names.push_back(a.name.c_str());
        }
    }
    if (defaultMember && !names.empty()) throw std::logic_error("named arguments to a default member");

    DISPID id = DISPID_VALUE;
    std::vector<DISPID> namedIds;
    if (!defaultMember) {
        // The member and its named arguments in one look-up, member first.
        names.insert(names.begin(), member.c_str());
        std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
        HRESULT hr = CallPatiently([&] {
            return p_->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()), static_cast<UINT>(names.size()),
                                     kCallLcid, ids.data());
        });
        if (FAILED(hr)) Fail(member, hr);
        id = ids[0];
        // Reversed, the last named argument comes first.
        namedIds.assign(ids.rbegin(), ids.rend() - 1);
    }
    return InvokeId(member, id, flags, args, std::move(namedIds), true);
}

Variant Dispatch::InvokeId(const std::wstring& member, DISPID id, WORD flags, std::vector<Named>& args,
                           std::vector<DISPID> namedIds, bool wantResult) const {
    if (!p_) Fail(member, E_POINTER);
    // The wrapper keeps ownership of the arguments; the callee only reads them.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->value.value().get());

    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgdispidNamedArgs = namedIds.empty() ? nullptr : namedIds.data();
    params.cNamedArgs = static_cast<UINT>(namedIds.size());

    ExcepInfo excep;
    UINT argErr = 0;
    Variant result;
    HRESULT hr = CallPatiently([&] {
        return p_->Invoke(id, IID_NULL, kCallLcid, flags, &params, wantResult ? result.put() : nullptr, excep.get(),
                          &argErr);
    });
    if (hr == DISP_E_EXCEPTION) excep.Throw(member);
    if (FAILED(hr)) Fail(member, hr);
    return result;
}

Enumerator::Enumerator(const Dispatch& collection) {
    static const std::wstring kMember = L"_NewEnum";
    std::vector<Named> none;
    Variant v = collection.InvokeId(kMember, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, {}, true);
    VARIANT* raw = v.get();
    IUnknown* unk = raw->vt == VT_UNKNOWN ? raw->punkVal : raw->vt == VT_DISPATCH ? raw->pdispVal : nullptr;
    if (!unk) Fail(kMember, DISP_E_TYPEMISMATCH);
    HRESULT hr = unk->QueryInterface(IID_IEnumVARIANT, e_.put_void());
    if (FAILED(hr)) Fail(kMember, hr);
}

std::optional<Dispatch> Enumerator::Next() {
    if (!e_) return std::nullopt;
    Variant item;
    ULONG fetched = 0;
    HRESULT hr = CallPatiently([&] { return e_->Next(1, item.put(), &fetched); });
    if (FAILED(hr)) Fail(L"_NewEnum", hr);
    if (hr != S_OK || fetched == 0) {
        e_.reset();  // done: let the collection go now, not when the loop's owner goes
        return std::nullopt;
    }
    return Dispatch::From(std::move(item), L"_NewEnum");
}

namespace {
Variant Converted(const Variant& v, VARTYPE to, const std::wstring& member) {
    Variant r;
    HRESULT hr = VariantChangeType(r.put(), const_cast<VARIANT*>(v.get()), 0, to);
    if (FAILED(hr)) Fail(member, hr);
    return r;
}
}  // namespace

std::wstring ToString(const Variant& v, const std::wstring& member) {
    Variant s = Converted(v, VT_BSTR, member);
    BSTR b = s.get()->bstrVal;
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

bool ToBool(const Variant& v, const std::wstring& member) {
    return Converted(v, VT_BOOL, member).get()->boolVal != VARIANT_FALSE;
}

long ToLong(const Variant& v, const std::wstring& member) {
    return Converted(v, VT_I4, member).get()->lVal;
}

}  // namespace qv::excel::com
