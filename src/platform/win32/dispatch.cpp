#include "platform/win32/dispatch.h"

#include <cwctype>
#include <stdexcept>

#include "platform/error.h"
#include "platform/failure_info.h"

namespace qv::win32 {

namespace {

std::wstring MessageFor(HRESULT hr) {
    std::wstring s = SystemMessage(static_cast<DWORD>(hr));
    return s.empty() ? L"HRESULT " + HexCode(static_cast<long>(hr)) : s;
}

[[noreturn]] void Fail(const CallPolicy& policy, const std::wstring& member, HRESULT hr) {
    policy.Fail(member, static_cast<long>(hr), MessageFor(hr));
}

// Calls made on an empty Dispatch fail under this one.
std::shared_ptr<const CallPolicy> PlainPolicy() {
    static const auto plain = std::make_shared<const CallPolicy>(L"COM");
    return plain;
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

    [[noreturn]] void Throw(const CallPolicy& policy, const std::wstring& member) {
        if (e_.pfnDeferredFillIn) {
            e_.pfnDeferredFillIn(&e_);
            e_.pfnDeferredFillIn = nullptr;
        }
        HRESULT code = FAILED(e_.scode) ? e_.scode : DISP_E_EXCEPTION;
        std::wstring text = e_.bstrDescription ? std::wstring(e_.bstrDescription, SysStringLen(e_.bstrDescription))
                                               : std::wstring();
        if (text.empty()) text = MessageFor(code);
        policy.Fail(member, static_cast<long>(code), std::move(text));
    }

private:
    EXCEPINFO e_;
};

}  // namespace

void CallPolicy::Fail(const std::wstring& member, long hresult, std::wstring description) const {
    Throw(member, hresult, description);
    throw ComError(operation_, member, hresult, std::move(description));
}

void CallPolicy::Throw(const std::wstring&, long, const std::wstring&) const {}

std::optional<std::vector<DISPID>> MemberIds::Find(const std::wstring& key) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = ids_.find(key);
    if (it == ids_.end()) return std::nullopt;
    return it->second;
}

void MemberIds::Remember(const std::wstring& key, std::vector<DISPID> ids) {
    std::lock_guard<std::mutex> hold(lock_);
    ids_[key] = std::move(ids);
}

void MemberIds::Forget(const std::wstring& key) {
    std::lock_guard<std::mutex> hold(lock_);
    ids_.erase(key);
}

namespace {

// Names are looked up without regard to case, so "FullName" and "Fullname" share an entry.
std::wstring KeyOf(const std::vector<const wchar_t*>& names) {
    std::wstring key;
    for (const wchar_t* n : names) {
        if (!key.empty()) key += L'\n';
        for (; *n; ++n) key += static_cast<wchar_t>(std::towlower(*n));
    }
    return key;
}

}  // namespace

Dispatch::Dispatch() : policy_(PlainPolicy()) {}

Dispatch::Dispatch(ComPtr<IDispatch> p, std::shared_ptr<const CallPolicy> policy, MemberIds* kind)
    : p_(std::move(p)), policy_(policy ? std::move(policy) : PlainPolicy()), kind_(kind) {}

Dispatch Dispatch::child(Variant v, const std::wstring& member, MemberIds* kind) const {
    VARIANT* raw = v.get();
    if (raw->vt == VT_DISPATCH && raw->pdispVal) return Dispatch(ComPtr<IDispatch>(raw->pdispVal, true), policy_, kind);
    if (raw->vt == VT_UNKNOWN && raw->punkVal) {
        ComPtr<IDispatch> d;
        HRESULT hr = raw->punkVal->QueryInterface(IID_IDispatch, d.put_void());
        if (FAILED(hr)) Fail(*policy_, member, hr);
        return Dispatch(std::move(d), policy_, kind);
    }
    Fail(*policy_, member, DISP_E_TYPEMISMATCH);
}

Dispatch Dispatch::under(std::shared_ptr<const CallPolicy> policy) const {
    return Dispatch(ComPtr<IDispatch>(p_.get(), true), std::move(policy), kind_);
}

Variant Dispatch::get(const std::wstring& name) const {
    std::vector<Named> none;
    return Invoke(name, false, DISPATCH_PROPERTYGET, none);
}

void Dispatch::put(const std::wstring& name, Arg value) const {
    if (!p_) Fail(*policy_, name, E_POINTER);
    std::vector<Named> args;
    args.push_back(Named{L"", std::move(value)});
    LookUpAndInvoke(name, {name.c_str()}, DISPATCH_PROPERTYPUT, args, {DISPID_PROPERTYPUT}, false);
}

std::vector<DISPID> Dispatch::IdsOf(const std::vector<const wchar_t*>& names, bool fresh) const {
    const std::wstring key = kind_ ? KeyOf(names) : std::wstring();
    if (kind_ && !fresh)
        if (auto known = kind_->Find(key)) return *known;
    std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
    HRESULT hr = policy_->Run([&] {
        return p_->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()), static_cast<UINT>(names.size()),
                                 policy_->Lcid(), ids.data());
    });
    if (FAILED(hr)) Fail(*policy_, names[0], hr);
    if (kind_) kind_->Remember(key, ids);
    return ids;
}

Variant Dispatch::LookUpAndInvoke(const std::wstring& member, std::vector<const wchar_t*> names, WORD flags,
                                  std::vector<Named>& args, std::vector<DISPID> extraNamed, bool wantResult) const {
    auto invoke = [&](const std::vector<DISPID>& ids) {
        // Reversed like the values, the last named argument comes first.
        std::vector<DISPID> namedIds = extraNamed;
        namedIds.insert(namedIds.end(), ids.rbegin(), ids.rend() - 1);
        return InvokeId(member, ids[0], flags, args, std::move(namedIds), wantResult);
    };
    const bool cached = kind_ && kind_->Find(KeyOf(names));
    try {
        return invoke(IdsOf(names, false));
    } catch (const ComError& e) {
        // Another server behind the same kind (another version of the server) may lack the member.
        if (!cached || e.HResult() != static_cast<long>(DISP_E_MEMBERNOTFOUND)) throw;
    }
    kind_->Forget(KeyOf(names));
    return invoke(IdsOf(names, true));
}

Variant Dispatch::Invoke(const std::wstring& member, bool defaultMember, WORD flags,
                         std::vector<Named>& args) const {
    if (!p_) Fail(*policy_, member, E_POINTER);
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
    if (defaultMember) return InvokeId(member, DISPID_VALUE, flags, args, {}, true);
    // The member and its named arguments in one look-up, member first.
    names.insert(names.begin(), member.c_str());
    return LookUpAndInvoke(member, std::move(names), flags, args, {}, true);
}

Variant Dispatch::InvokeId(const std::wstring& member, DISPID id, WORD flags, std::vector<Named>& args,
                           std::vector<DISPID> namedIds, bool wantResult) const {
    if (!p_) Fail(*policy_, member, E_POINTER);
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
    HRESULT hr = policy_->Run([&] {
        return p_->Invoke(id, IID_NULL, policy_->Lcid(), flags, &params, wantResult ? result.put() : nullptr,
                          excep.get(), &argErr);
    });
    if (hr == DISP_E_EXCEPTION) excep.Throw(*policy_, member);
    if (FAILED(hr)) Fail(*policy_, member, hr);
    return result;
}

Enumerator::Enumerator(const Dispatch& collection, MemberIds* itemKind)
    : itemKind_(itemKind), policy_(collection.policy_) {
    static const std::wstring kMember = L"_NewEnum";
    std::vector<Named> none;
    Variant v = collection.InvokeId(kMember, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, {}, true);
    VARIANT* raw = v.get();
    IUnknown* unk = raw->vt == VT_UNKNOWN ? raw->punkVal : raw->vt == VT_DISPATCH ? raw->pdispVal : nullptr;
    if (!unk) Fail(*policy_, kMember, DISP_E_TYPEMISMATCH);
    HRESULT hr = unk->QueryInterface(IID_IEnumVARIANT, e_.put_void());
    if (FAILED(hr)) Fail(*policy_, kMember, hr);
}

std::optional<Dispatch> Enumerator::Next() {
    if (taken_ == batch_.size()) {
        batch_.clear();
        taken_ = 0;
        if (!e_ || last_) return std::nullopt;
        std::vector<VARIANT> raw(kBatch);
        for (auto& v : raw) VariantInit(&v);
        ULONG fetched = 0;
        HRESULT hr = policy_->Run([&] {
            fetched = 0;
            return e_->Next(kBatch, raw.data(), &fetched);
        });
        if (SUCCEEDED(hr))
            for (ULONG i = 0; i < fetched && i < kBatch; ++i) *batch_.emplace_back().put() = raw[i];
        if (FAILED(hr)) Fail(*policy_, L"_NewEnum", hr);
        if (hr != S_OK || fetched < kBatch) {
            last_ = true;
            e_.reset();  // done: let the collection go now, not when the loop's owner goes
        }
        if (batch_.empty()) return std::nullopt;
    }
    return Dispatch(ComPtr<IDispatch>(), policy_).child(std::move(batch_[taken_++]), L"_NewEnum", itemKind_);
}

namespace {
Variant Converted(const Variant& v, VARTYPE to, const std::wstring& member, const CallPolicy& policy) {
    Variant r;
    HRESULT hr = VariantChangeType(r.put(), const_cast<VARIANT*>(v.get()), 0, to);
    if (FAILED(hr)) Fail(policy, member, hr);
    return r;
}
}  // namespace

std::wstring ToString(const Variant& v, const std::wstring& member, const CallPolicy& policy) {
    Variant s = Converted(v, VT_BSTR, member, policy);
    BSTR b = s.get()->bstrVal;
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

bool ToBool(const Variant& v, const std::wstring& member, const CallPolicy& policy) {
    return Converted(v, VT_BOOL, member, policy).get()->boolVal != VARIANT_FALSE;
}

long ToLong(const Variant& v, const std::wstring& member, const CallPolicy& policy) {
    return Converted(v, VT_I4, member, policy).get()->lVal;
}

}  // namespace qv::win32
