#include "com/dispatch.h"

#include <new>

#include "com/gate.h"
#include "com/server.h"
#include "model/error.h"
#include "platform/error.h"

namespace qv::standin::com {
namespace {

const VARIANT* Deref(const VARIANT* v) {
    while (v && v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
    return v;
}

bool IsOmitted(const VARIANT* v) {
    return !v || (v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND) || v->vt == VT_EMPTY;
}

// Calls that one object makes on another inside the server are no incoming calls: only the
// outermost call of a thread meets the gate and the log.
thread_local int g_depth = 0;

class Depth {
public:
    Depth() { ++g_depth; }
    ~Depth() { --g_depth; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;
    bool Outermost() const { return g_depth == 1; }
};

// The call's arguments in natural order, as the log shows them.
std::wstring ArgumentsText(const DISPPARAMS* params) {
    std::wstring text;
    if (!params) return text;
    for (UINT i = params->cArgs; i-- > 0;) {
        if (i + 1 != params->cArgs) text += L";";
        text += ArgumentText(params->rgvarg[i]);
    }
    return text;
}

void Fill(EXCEPINFO* e, long code, const std::wstring& description) {
    if (!e) return;
    ZeroMemory(e, sizeof(*e));
    e->scode = code;
    e->bstrSource = SysAllocString(L"Microsoft Excel");
    e->bstrDescription = SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
}

}  // namespace

std::wstring ToText(const VARIANT& v) {
    Variant t;
    if (FAILED(VariantChangeType(t.get(), const_cast<VARIANT*>(&v), 0, VT_BSTR)))
        throw Error(static_cast<long>(DISP_E_TYPEMISMATCH), L"Type mismatch");
    return std::wstring(t.get()->bstrVal, SysStringLen(t.get()->bstrVal));
}

bool ToBool(const VARIANT& v) {
    Variant t;
    if (FAILED(VariantChangeType(t.get(), const_cast<VARIANT*>(&v), 0, VT_BOOL)))
        throw Error(static_cast<long>(DISP_E_TYPEMISMATCH), L"Type mismatch");
    return t.get()->boolVal != VARIANT_FALSE;
}

std::optional<long> ToPosition(const VARIANT& v) {
    if (v.vt == VT_BSTR) return std::nullopt;
    Variant n;
    if (FAILED(VariantChangeType(n.get(), const_cast<VARIANT*>(&v), 0, VT_I4)))
        throw Error(static_cast<long>(DISP_E_TYPEMISMATCH), L"Type mismatch");
    return n.get()->lVal;
}

size_t ItemAt(long position, size_t count) {
    if (position < 1 || static_cast<unsigned long>(position) > count) throw Error(kErrBadIndex, L"Subscript out of range");
    return static_cast<size_t>(position - 1);
}

const VARIANT* Args::Get(size_t index) const {
    if (index >= args_.size()) return nullptr;
    const VARIANT* v = Deref(args_[index]);
    return IsOmitted(v) ? nullptr : v;
}

const VARIANT& Args::Required(size_t index, const wchar_t* name) const {
    const VARIANT* v = Get(index);
    if (!v) throw Error(static_cast<long>(DISP_E_PARAMNOTFOUND), std::wstring(L"Argument not optional: ") + name);
    return *v;
}

std::wstring Args::String(size_t index, const wchar_t* name) const { return ToText(Required(index, name)); }

std::optional<std::wstring> Args::OptString(size_t index) const {
    const VARIANT* v = Get(index);
    if (!v) return std::nullopt;
    return ToText(*v);
}

std::optional<bool> Args::OptBool(size_t index) const {
    const VARIANT* v = Get(index);
    if (!v) return std::nullopt;
    return ToBool(*v);
}

DispatchObject::DispatchObject() { ObjectCreated(); }
DispatchObject::~DispatchObject() { ObjectDestroyed(); }

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

void DispatchObject::Define(Member m) {
    if (m.id == 0) m.id = static_cast<DISPID>(members_.size() + 1);
    members_.push_back(std::move(m));
}

const Member* DispatchObject::ById(DISPID id) const {
    if (id == DISPID_VALUE) {
        for (auto& m : members_)
            if (m.name == default_) return &m;
        return nullptr;
    }
    for (auto& m : members_)
        if (m.id == id) return &m;
    return nullptr;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    Depth depth;
    if (!depth.Outermost()) return LookUp(names, count, ids);
    const HRESULT refused = Refusal();
    HRESULT hr = refused != S_OK ? refused : !ServesLanguage(lcid) ? kNoLanguage : LookUp(names, count, ids);
    if (FAILED(hr) && hr != DISP_E_UNKNOWNNAME)
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    std::wstring others;
    for (UINT i = 1; i < count; ++i) others += (i > 1 ? L";" : L"") + std::wstring(names[i] ? names[i] : L"");
    LogCall(ClassName(), names[0] ? names[0] : L"", 0, lcid, others, hr);
    return hr;
}

HRESULT DispatchObject::LookUp(LPOLESTR* names, UINT count, DISPID* ids) const {
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const Member* found = nullptr;
    for (auto& m : members_)
        if (_wcsicmp(m.name.c_str(), names[0]) == 0) found = &m;
    if (!found) return DISP_E_UNKNOWNNAME;
    ids[0] = found->id;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        for (size_t p = 0; p < found->params.size(); ++p)
            if (_wcsicmp(found->params[p].c_str(), names[i]) == 0) ids[i] = static_cast<DISPID>(p);
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excep, UINT* argErr) {
    Depth depth;
    if (!depth.Outermost()) return Serve(id, riid, flags, params, result, excep, argErr);
    const Member* m = ById(id);
    const HRESULT refused = Refusal();
    HRESULT hr = refused != S_OK ? refused : !ServesLanguage(lcid) ? kNoLanguage : Serve(id, riid, flags, params, result, excep, argErr);
    LogCall(ClassName(), m ? m->name : L"#" + std::to_wstring(id), flags, lcid, ArgumentsText(params), hr);
    return hr;
}

HRESULT DispatchObject::Serve(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* excep, UINT* argErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const Member* m = ById(id);
    if (!m) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);
    try {
        return Call(*m, flags, params, result, argErr);
    } catch (const Error& e) {
        Fill(excep, e.Code(), e.Description());
    } catch (const qv::Failure& f) {
        Fill(excep, static_cast<long>(0x800A03ECL), f.What() + L": " + f.Detail());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        Fill(excep, static_cast<long>(E_UNEXPECTED), std::wstring(ClassName()) + L"." + m->name + L" failed");
    }
    return DISP_E_EXCEPTION;
}

HRESULT DispatchObject::Call(const Member& m, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr) {
    static DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    const VARIANT* putValue = nullptr;
    UINT positional = params->cArgs - params->cNamedArgs;
    std::vector<const VARIANT*> byPosition(m.params.size(), nullptr);
    if (positional > m.params.size()) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < positional; ++i) byPosition[i] = &params->rgvarg[params->cArgs - 1 - i];
    for (UINT j = 0; j < params->cNamedArgs; ++j) {
        DISPID n = params->rgdispidNamedArgs[j];
        if (n == DISPID_PROPERTYPUT && put) {
            putValue = &params->rgvarg[j];
        } else if (n >= 0 && static_cast<size_t>(n) < m.params.size()) {
            byPosition[static_cast<size_t>(n)] = &params->rgvarg[j];
        } else {
            if (argErr) *argErr = j;
            return DISP_E_PARAMNOTFOUND;
        }
    }
    Args args(std::move(byPosition));
    if (put) {
        if (!m.put) return DISP_E_MEMBERNOTFOUND;
        if (!putValue) return DISP_E_PARAMNOTOPTIONAL;
        const VARIANT* v = putValue;
        while (v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
        m.put(args, *v);
        return S_OK;
    }
    if (!m.get) return DISP_E_MEMBERNOTFOUND;
    Variant r = m.get(args);
    if (result) *result = r.detach();
    return S_OK;
}

}  // namespace qv::standin::com
