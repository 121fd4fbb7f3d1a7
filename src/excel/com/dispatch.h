#pragma once
// A thin late-bound client over IDispatch: members by name, arguments in natural order.
// Every failure becomes one qv::excel::ExcelError carrying the member, the HRESULT and
// the server's own description.
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "excel/com/watchdog.h"
#include "excel/excel.h"
#include "platform/win32/handles.h"

namespace qv::excel::com {

using win32::ComPtr;
using win32::Variant;

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

// The DISPIDs of one kind of object (Application, AddIns, AddIn, ...), shared by every object of
// that kind for the life of the program: Excel's type library fixes them, so one look-up per
// member (with its named arguments) is enough. Only successful look-ups are kept.
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
    Dispatch() = default;
    // `kind` null: every call looks its member up afresh. `instance`: the Excel of the program's
    // own behind the object, whose calls the watchdog watches; null for any other server.
    explicit Dispatch(ComPtr<IDispatch> p, MemberIds* kind = nullptr, std::shared_ptr<const Instance> instance = nullptr)
        : p_(std::move(p)), kind_(kind), instance_(std::move(instance)) {}
    // Takes the object out of a VT_DISPATCH (or VT_UNKNOWN) result; `member` names the call
    // that produced it, for the error when it holds no object.
    static Dispatch From(Variant v, const std::wstring& member, MemberIds* kind = nullptr);
    // The same, for an object of this one's server: its calls are watched as this one's are.
    Dispatch child(Variant v, const std::wstring& member, MemberIds* kind = nullptr) const;
    // This object with calls that are not watched: a person may take long over Excel's own dialogs.
    Dispatch unwatched() const { return Dispatch(p_.copy(), kind_); }

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
    MemberIds* kind_ = nullptr;
    std::shared_ptr<const Instance> instance_;
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
    std::shared_ptr<const Instance> instance_;
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

// Conversions of results; a value that does not convert fails as ExcelError for `member`.
std::wstring ToString(const Variant& v, const std::wstring& member);
bool ToBool(const Variant& v, const std::wstring& member);
long ToLong(const Variant& v, const std::wstring& member);

}  // namespace qv::excel::com
