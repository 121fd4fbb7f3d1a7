#pragma once
// A thin late-bound client over IDispatch: members by name, arguments in natural order.
// Every failure becomes one qv::excel::ExcelError carrying the member, the HRESULT and
// the server's own description.
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(ComPtr<IDispatch> p) : p_(std::move(p)) {}
    // Takes the object out of a VT_DISPATCH (or VT_UNKNOWN) result; `member` names the call
    // that produced it, for the error when it holds no object.
    static Dispatch From(Variant v, const std::wstring& member);

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
    // get(name) as an object.
    Dispatch object(const std::wstring& name) const { return From(get(name), name); }

    IDispatch* raw() const { return p_.get(); }
    explicit operator bool() const { return static_cast<bool>(p_); }

private:
    // In `args`, an empty name marks a positional argument. Named arguments follow the
    // positional ones, as in Basic.
    static void Collect(std::vector<Named>& args, Arg a) { args.push_back(Named{L"", std::move(a)}); }
    static void Collect(std::vector<Named>& args, Named n) { args.push_back(std::move(n)); }
    Variant Invoke(const std::wstring& member, bool defaultMember, WORD flags, std::vector<Named>& args) const;
    // One IDispatch::Invoke; `namedIds` pairs with the first entries of the reversed arguments.
    Variant InvokeId(const std::wstring& member, DISPID id, WORD flags, std::vector<Named>& args,
                     std::vector<DISPID> namedIds, bool wantResult) const;
    friend class Enumerator;

    ComPtr<IDispatch> p_;
};

// The elements of a collection, one at a time, through _NewEnum / IEnumVARIANT.
class Enumerator {
public:
    explicit Enumerator(const Dispatch& collection);
    // The next element, or nullopt after the last one.
    std::optional<Dispatch> Next();

private:
    ComPtr<IEnumVARIANT> e_;
};

// for (Dispatch item : each(collection)) ...  Leaving the loop early releases the enumerator.
class EachRange {
public:
    explicit EachRange(const Dispatch& collection) : e_(collection) {}
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

inline EachRange each(const Dispatch& collection) { return EachRange(collection); }

// Conversions of results; a value that does not convert fails as ExcelError for `member`.
std::wstring ToString(const Variant& v, const std::wstring& member);
bool ToBool(const Variant& v, const std::wstring& member);
long ToLong(const Variant& v, const std::wstring& member);

}  // namespace qv::excel::com
