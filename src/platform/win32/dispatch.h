#pragma once
// A thin late-bound client over IDispatch: members by name, arguments in natural order.
// Every failure becomes one exception carrying the member, the HRESULT and the server's own
// description. How calls are made (retries, locale) and what is thrown is the server's policy.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/handles.h"

namespace qv::win32 {

// How the calls to one server are made. The default calls once, names members in the user's
// locale and throws qv::ComError; a server with rules of its own overrides them.
class CallPolicy {
public:
    // `operation` names the server's work in a failure report.
    explicit CallPolicy(std::wstring operation) : operation_(std::move(operation)) {}
    virtual ~CallPolicy() = default;
    CallPolicy(const CallPolicy&) = delete;
    CallPolicy& operator=(const CallPolicy&) = delete;

    // The locale of GetIDsOfNames and Invoke.
    virtual LCID Lcid() const { return LOCALE_USER_DEFAULT; }
    // One call into the server (GetIDsOfNames, Invoke or IEnumVARIANT::Next); runs `call`
    // again as the policy sees fit and gives its last result.
    virtual HRESULT Run(const std::function<HRESULT()>& call) const { return call(); }
    // Throws the failure of `member`: the policy's own exception, or else qv::ComError.
    [[noreturn]] void Fail(const std::wstring& member, long hresult, std::wstring description) const;

    const std::wstring& Operation() const { return operation_; }

protected:
    // A server's own exception type for its failures; nothing thrown here means qv::ComError.
    virtual void Throw(const std::wstring& member, long hresult, const std::wstring& description) const;

private:
    std::wstring operation_;
};

// An omitted optional argument (VT_ERROR / DISP_E_PARAMNOTFOUND).
struct Missing {};

// One argument as the server receives it.
class Arg {
public:
    Arg(Variant v) : value_(std::move(v)) {}
    Arg(const std::wstring& s) : value_(Variant::FromString(s)) {}
    Arg(const wchar_t* s) : value_(Variant::FromString(s)) {}
    Arg(bool b) : value_(Variant::FromBool(b)) {}
    Arg(int n) : value_(Variant::FromLong(n)) {}
    Arg(long n) : value_(Variant::FromLong(n)) {}
    Arg(Missing) : value_(Variant::Missing()) {}
    Variant& value() { return value_; }

private:
    Variant value_;
};

// A named argument: call(L"Add", Named{L"Filename", path}, Named{L"CopyFile", false}).
struct Named {
    std::wstring name;
    Arg value;
};

// The DISPIDs of one kind of object (an application, a collection, its items), shared by every
// object of that kind for the life of the program: where the server's type library fixes them, one
// look-up per member (with its named arguments) is enough. Only successful look-ups are kept.
class MemberIds {
public:
    MemberIds() = default;
    MemberIds(const MemberIds&) = delete;
    MemberIds& operator=(const MemberIds&) = delete;

    std::optional<std::vector<DISPID>> Find(const std::wstring& key) const;
    void Remember(const std::wstring& key, std::vector<DISPID> ids);
    void Forget(const std::wstring& key);

private:
    mutable std::mutex lock_;
    std::map<std::wstring, std::vector<DISPID>> ids_;
};

class Dispatch {
public:
    // An empty object: every call fails with E_POINTER.
    Dispatch();
    // `kind` null: every call looks its member up afresh.
    Dispatch(ComPtr<IDispatch> p, std::shared_ptr<const CallPolicy> policy, MemberIds* kind = nullptr);
    // The object in a VT_DISPATCH (or VT_UNKNOWN) result of this one's server, called under the
    // same policy; `member` names the call that produced it, for the error when it holds none.
    Dispatch child(Variant v, const std::wstring& member, MemberIds* kind = nullptr) const;
    // This object under another policy.
    Dispatch under(std::shared_ptr<const CallPolicy> policy) const;

    Variant get(const std::wstring& name) const;
    void put(const std::wstring& name, Arg value) const;
    template <class... A>
    Variant call(const std::wstring& name, A&&... args) const {
        std::vector<Named> list;
        (Collect(list, std::forward<A>(args)), ...);
        return Invoke(name, false, DISPATCH_METHOD | DISPATCH_PROPERTYGET, list);
    }
    // The default member (DISPID_VALUE), as in AddIns("title"); `label` names it in errors.
    template <class... A>
    Variant callDefault(const std::wstring& label, A&&... args) const {
        std::vector<Named> list;
        (Collect(list, std::forward<A>(args)), ...);
        return Invoke(label, true, DISPATCH_METHOD | DISPATCH_PROPERTYGET, list);
    }
    // get(name) as an object of the given kind.
    Dispatch object(const std::wstring& name, MemberIds* kind = nullptr) const { return child(get(name), name, kind); }

    IDispatch* raw() const { return p_.get(); }
    const CallPolicy& policy() const { return *policy_; }
    explicit operator bool() const { return static_cast<bool>(p_); }

private:
    // In `args`, an empty name marks a positional argument. Named arguments follow the
    // positional ones, as in Basic.
    static void Collect(std::vector<Named>& args, Arg a) { args.push_back(Named{L"", std::move(a)}); }
    static void Collect(std::vector<Named>& args, Named n) { args.push_back(std::move(n)); }
    Variant Invoke(const std::wstring& member, bool defaultMember, WORD flags, std::vector<Named>& args) const;
    // The DISPIDs of `names` (member first), from the kind's cache or from one GetIDsOfNames.
    std::vector<DISPID> IdsOf(const std::vector<const wchar_t*>& names, bool fresh) const;
    // Looks up and invokes; a cached DISPID the server no longer knows is looked up once more.
    Variant LookUpAndInvoke(const std::wstring& member, std::vector<const wchar_t*> names, WORD flags,
                            std::vector<Named>& args, std::vector<DISPID> extraNamed, bool wantResult) const;
    // One IDispatch::Invoke; `namedIds` pairs with the first entries of the reversed arguments.
    Variant InvokeId(const std::wstring& member, DISPID id, WORD flags, std::vector<Named>& args,
                     std::vector<DISPID> namedIds, bool wantResult) const;
    friend class Enumerator;

    ComPtr<IDispatch> p_;
    std::shared_ptr<const CallPolicy> policy_;
    MemberIds* kind_ = nullptr;
};

// The elements of a collection, in its order, through _NewEnum / IEnumVARIANT. Elements come
// from the server in batches, each batch one round trip; `itemKind` is the elements' kind.
class Enumerator {
public:
    static constexpr ULONG kBatch = 64;
    explicit Enumerator(const Dispatch& collection, MemberIds* itemKind = nullptr);
    // The next element, or nullopt after the last one.
    std::optional<Dispatch> Next();

private:
    ComPtr<IEnumVARIANT> e_;
    MemberIds* itemKind_ = nullptr;
    std::shared_ptr<const CallPolicy> policy_;
    std::vector<Variant> batch_;
    size_t taken_ = 0;
    bool last_ = false;  // the server has given its last batch
};

// for (Dispatch item : each(collection)) ...  Leaving the loop early releases the enumerator.
class EachRange {
public:
    explicit EachRange(const Dispatch& collection, MemberIds* itemKind = nullptr) : e_(collection, itemKind) {}
    EachRange(const EachRange&) = delete;
    EachRange& operator=(const EachRange&) = delete;

    class iterator {
    public:
        explicit iterator(Enumerator* e) : e_(e) { advance(); }
        // Hands the element over: for (auto item : each(c)) moves it into `item`.
        Dispatch&& operator*() { return std::move(*cur_); }
        iterator& operator++() { advance(); return *this; }
        bool operator!=(const iterator& o) const { return cur_.has_value() || o.cur_.has_value(); }

    private:
        void advance() { cur_ = e_ ? e_->Next() : std::nullopt; }
        Enumerator* e_;
        std::optional<Dispatch> cur_;
    };
    iterator begin() { return iterator(&e_); }
    iterator end() { return iterator(nullptr); }

private:
    Enumerator e_;
};

inline EachRange each(const Dispatch& collection, MemberIds* itemKind = nullptr) {
    return EachRange(collection, itemKind);
}

// Conversions of results; a value that does not convert fails under `policy` for `member`.
std::wstring ToString(const Variant& v, const std::wstring& member, const CallPolicy& policy);
bool ToBool(const Variant& v, const std::wstring& member, const CallPolicy& policy);
long ToLong(const Variant& v, const std::wstring& member, const CallPolicy& policy);

}  // namespace qv::win32
