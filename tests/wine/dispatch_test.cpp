// The Dispatch wrapper against an in-process IDispatch that records every call.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "excel/com/excel_calls.h"
#include "platform/error.h"

namespace {

using qv::excel::ExcelError;
using qv::excel::com::Dispatch;
using qv::excel::com::ExcelCalls;
using qv::excel::com::each;
using qv::excel::com::MemberIds;
using qv::excel::com::Missing;
using qv::excel::com::Named;
using qv::win32::ComPtr;
using qv::win32::Variant;

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

struct Invocation {
    DISPID id = 0;
    WORD flags = 0;
    LCID lcid = 0;
    std::vector<Variant> args;  // as received: rgvarg order
    std::vector<DISPID> named;
    bool gotExcepInfo = false;
};

// An IDispatch whose members are a name -> DISPID table. It records look-ups and calls and
// answers through `answer` (default: S_OK with an empty result).
// Reference counting and QueryInterface for a fake of interface I; it deletes itself at its last
// release.
template <class I>
class FakeUnknown : public I {
public:
    LONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        bool known = iid == IID_IUnknown || iid == __uuidof(I);
        *out = known ? static_cast<I*>(this) : nullptr;
        if (known) AddRef();
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG r = --refs;
        if (r == 0) delete this;
        return r;
    }

protected:
    virtual ~FakeUnknown() = default;
};

class FakeDispatch final : public FakeUnknown<IDispatch> {
public:
    using Answer = std::function<HRESULT(const Invocation&, VARIANT* result, EXCEPINFO*)>;

    std::map<std::wstring, DISPID> members;  // lower-case names
    std::vector<std::vector<std::wstring>> lookups;
    std::vector<Invocation> calls;
    Answer answer;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        std::vector<std::wstring> asked(names, names + count);
        lookups.push_back(asked);
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            auto it = members.find(Lower(asked[i]));
            ids[i] = it == members.end() ? DISPID_UNKNOWN : it->second;
            if (it == members.end()) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT*) override {
        Invocation call;
        call.id = id;
        call.flags = flags;
        call.lcid = lcid;
        for (UINT i = 0; i < params->cArgs; ++i) {
            Variant copy;
            VariantCopy(copy.put(), &params->rgvarg[i]);
            call.args.push_back(std::move(copy));
        }
        call.named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
        call.gotExcepInfo = excep != nullptr;
        calls.push_back(std::move(call));
        return answer ? answer(calls.back(), result, excep) : S_OK;
    }

private:
    ~FakeDispatch() override = default;
};

ComPtr<FakeDispatch> MakeFake(std::map<std::wstring, DISPID> members) {
    ComPtr<FakeDispatch> f(new FakeDispatch);
    for (auto& [name, id] : members) f->members[Lower(name)] = id;
    return f;
}

Dispatch Wrap(const ComPtr<FakeDispatch>& f) {
    return Dispatch(ComPtr<IDispatch>(static_cast<IDispatch*>(f.get()), true), ExcelCalls::Unwatched());
}

std::wstring Text(const Variant& v) {
    return v.vt() == VT_BSTR ? std::wstring(v.get()->bstrVal, SysStringLen(v.get()->bstrVal)) : L"<not a string>";
}

constexpr WORD kCallFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// An argument as the server received it.
std::wstring Describe(const Variant& v) {
    switch (v.vt()) {
        case VT_BSTR: return L"'" + Text(v) + L"'";
        case VT_BOOL: return v.get()->boolVal == VARIANT_TRUE ? L"true" : L"false";
        case VT_I4: return std::to_wstring(v.get()->lVal);
        case VT_ERROR: return v.get()->scode == DISP_E_PARAMNOTFOUND ? L"missing" : L"error";
        default: return L"vt " + std::to_wstring(v.vt());
    }
}

// One look-up names the member and its named arguments; the values arrive reversed (rgvarg
// order), positional ones before named ones, and the named DISPIDs reversed with them, so that
// each pairs with its own value.
TEST(Dispatch, ArgumentsReachTheServerReversedAfterOneLookUp) {
    struct Case {
        const char* what;
        std::function<void(const Dispatch&)> call;
        std::vector<std::wstring> lookUp;  // empty: none
        DISPID id;
        WORD flags;
        std::vector<DISPID> named;
        std::vector<std::wstring> args;  // as received
    } cases[] = {
        {"positional", [](const Dispatch& d) { d.call(L"Open", L"C:\\a.xla", 2, true); }, {L"Open"}, 7, kCallFlags, {},
         {L"true", L"2", L"'C:\\a.xla'"}},
        {"named", [](const Dispatch& d) { d.call(L"Add", Named{L"Filename", L"C:\\x\\a.xla"}, Named{L"CopyFile", false}); },
         {L"Add", L"Filename", L"CopyFile"}, 10, kCallFlags, {22, 21}, {L"false", L"'C:\\x\\a.xla'"}},
        {"positional before named", [](const Dispatch& d) { d.call(L"Run", L"first", Named{L"Mode", 4}); },
         {L"Run", L"Mode"}, 5, kCallFlags, {30}, {L"4", L"'first'"}},
        {"omitted", [](const Dispatch& d) { d.call(L"GetOpenFilename", L"*.xla", Missing{}, Missing{}, Missing{}, true); },
         {L"GetOpenFilename"}, 40, kCallFlags, {}, {L"true", L"missing", L"missing", L"missing", L"'*.xla'"}},
        {"default member", [](const Dispatch& d) { d.callDefault(L"AddIns", L"My Tools"); }, {}, DISPID_VALUE,
         kCallFlags, {}, {L"'My Tools'"}},
        {"get", [](const Dispatch& d) { d.get(L"Installed"); }, {L"Installed"}, 3, DISPATCH_PROPERTYGET, {}, {}},
        {"put true", [](const Dispatch& d) { d.put(L"Installed", true); }, {L"Installed"}, 3, DISPATCH_PROPERTYPUT,
         {DISPID_PROPERTYPUT}, {L"true"}},
        {"put false", [](const Dispatch& d) { d.put(L"Installed", false); }, {L"Installed"}, 3, DISPATCH_PROPERTYPUT,
         {DISPID_PROPERTYPUT}, {L"false"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto fake = MakeFake({{L"Open", 7}, {L"Add", 10}, {L"Filename", 21}, {L"CopyFile", 22}, {L"Run", 5},
                              {L"Mode", 30}, {L"GetOpenFilename", 40}, {L"Installed", 3}});
        c.call(Wrap(fake));
        EXPECT_EQ(fake->lookups, c.lookUp.empty() ? std::vector<std::vector<std::wstring>>{}
                                                  : std::vector<std::vector<std::wstring>>{c.lookUp});
        ASSERT_EQ(fake->calls.size(), 1u);
        const Invocation& got = fake->calls[0];
        EXPECT_EQ(got.id, c.id);
        EXPECT_EQ(got.flags, c.flags);
        EXPECT_EQ(got.named, c.named);
        EXPECT_TRUE(got.gotExcepInfo) << "the server's description would be lost";
        std::vector<std::wstring> args;
        for (auto& v : got.args) args.push_back(Describe(v));
        EXPECT_EQ(args, c.args);
    }
    auto fake = MakeFake({{L"Run", 5}, {L"Mode", 30}});
    EXPECT_THROW(Wrap(fake).call(L"Run", Named{L"Mode", 4}, L"late"), std::logic_error);
    EXPECT_TRUE(fake->calls.empty()) << "a misordered call must not reach the server";
}

// The plain policy (the shell's) calls once in the user's locale and fails as a ComError of its
// own operation; Excel's waits out a busy refusal and names members in US English.
TEST(Dispatch, EachPolicyHasItsOwnRetryLocaleAndError) {
    auto fake = MakeFake({{L"Open", 7}});
    int busy = 1;
    fake->answer = [&](const Invocation&, VARIANT*, EXCEPINFO*) {
        return busy-- > 0 ? RPC_E_SERVERCALL_RETRYLATER : S_OK;
    };
    auto plain = std::make_shared<const qv::win32::CallPolicy>(L"shell");
    try {
        Dispatch(ComPtr<IDispatch>(fake.get(), true), plain).call(L"Open");
        ADD_FAILURE() << "a busy refusal was retried";
    } catch (const ExcelError&) {
        ADD_FAILURE() << "an Excel error from another server";
    } catch (const qv::ComError& e) {
        EXPECT_EQ(e.HResult(), static_cast<long>(RPC_E_SERVERCALL_RETRYLATER));
        EXPECT_EQ(e.Operation(), L"shell");
        EXPECT_EQ(e.Member(), L"Open");
    }
    ASSERT_EQ(fake->calls.size(), 1u);
    EXPECT_EQ(fake->calls[0].lcid, static_cast<LCID>(LOCALE_USER_DEFAULT));

    busy = 1;
    Wrap(fake).call(L"Open");
    ASSERT_EQ(fake->calls.size(), 3u) << "Excel's policy calls again after a busy refusal";
    EXPECT_EQ(fake->calls[2].lcid, 1033u);
}

TEST(Dispatch, ResultsAreOwnedAndConverted) {
    auto fake = MakeFake({{L"Version", 1}, {L"Count", 2}, {L"Visible", 3}});
    fake->answer = [](const Invocation& c, VARIANT* r, EXCEPINFO*) {
        if (c.id == 1) { r->vt = VT_BSTR; r->bstrVal = SysAllocString(L"11.0"); }
        if (c.id == 2) { r->vt = VT_I4; r->lVal = 3; }
        if (c.id == 3) { r->vt = VT_BOOL; r->boolVal = VARIANT_TRUE; }
        return S_OK;
    };
    Dispatch d = Wrap(fake);
    EXPECT_EQ(qv::excel::com::ToString(d.get(L"Version"), L"Version"), L"11.0");
    EXPECT_EQ(qv::excel::com::ToLong(d.get(L"Count"), L"Count"), 3);
    EXPECT_TRUE(qv::excel::com::ToBool(d.get(L"Visible"), L"Visible"));
    Variant words = Variant::FromString(L"not a number");
    try {
        qv::excel::com::ToLong(words, L"Count");
        ADD_FAILURE() << "text converted to a number";
    } catch (const ExcelError& e) {
        EXPECT_EQ(e.Member(), L"Count");
        EXPECT_EQ(e.HResult(), static_cast<long>(DISP_E_TYPEMISMATCH));
    }
    try {
        d.child(d.get(L"Version"), L"Version");
        FAIL() << "a string is no object";
    } catch (const ExcelError& e) {
        EXPECT_EQ(e.Member(), L"Version");
        EXPECT_EQ(e.HResult(), static_cast<long>(DISP_E_TYPEMISMATCH));
    }
}

HRESULT STDMETHODCALLTYPE FillLater(EXCEPINFO* e) {
    e->bstrDescription = SysAllocString(L"filled in later");
    e->scode = static_cast<SCODE>(0x800A9C68L);
    return S_OK;
}

TEST(Dispatch, FailuresCarryMemberHresultAndDescription) {
    struct Case {
        int line;
        const wchar_t* member;  // called member; "Unknown" is not one the fake knows
        HRESULT returned;
        SCODE scode;
        const wchar_t* description;  // put into EXCEPINFO; nullptr = none
        bool deferred;
        HRESULT expectedCode;
        const wchar_t* expectedText;  // nullptr = any non-empty system text
        bool put = false;             // a property put rather than a call
    } cases[] = {
        {__LINE__, L"Open", DISP_E_EXCEPTION, static_cast<SCODE>(0x800A03ECL), L"'a.xla' was not found", false,
         static_cast<HRESULT>(0x800A03ECL), L"'a.xla' was not found"},
        {__LINE__, L"Open", DISP_E_EXCEPTION, 0, nullptr, true, static_cast<HRESULT>(0x800A9C68L), L"filled in later"},
        {__LINE__, L"Open", DISP_E_EXCEPTION, static_cast<SCODE>(0x800A03ECL), nullptr, false,
         static_cast<HRESULT>(0x800A03ECL), nullptr},
        {__LINE__, L"Open", DISP_E_MEMBERNOTFOUND, 0, nullptr, false, DISP_E_MEMBERNOTFOUND, nullptr},
        {__LINE__, L"Unknown", S_OK, 0, nullptr, false, DISP_E_UNKNOWNNAME, nullptr},
        {__LINE__, L"Visible", E_ACCESSDENIED, 0, nullptr, false, E_ACCESSDENIED, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        auto fake = MakeFake({{L"Open", 9}, {L"Visible", 4}});
        fake->answer = [&c](const Invocation&, VARIANT*, EXCEPINFO* e) {
            if (c.returned == DISP_E_EXCEPTION) {
                e->scode = c.scode;
                if (c.description) e->bstrDescription = SysAllocString(c.description);
                e->bstrSource = SysAllocString(L"Microsoft Excel");
                if (c.deferred) e->pfnDeferredFillIn = FillLater;
            }
            return c.returned;
        };
        try {
            if (c.put) Wrap(fake).put(c.member, true);
            else Wrap(fake).call(c.member, L"a.xla");
            ADD_FAILURE() << "no ExcelError";
        } catch (const ExcelError& e) {
            EXPECT_EQ(e.Member(), c.member);
            EXPECT_EQ(e.HResult(), static_cast<long>(c.expectedCode));
            if (c.expectedText) EXPECT_EQ(e.Description(), c.expectedText);
            else EXPECT_FALSE(e.Description().empty());
        }
    }
}

// ---- One look-up per member and kind ----

// Answers DISP_E_MEMBERNOTFOUND for a DISPID it does not have, as a server without that member.
void KnowOnlyOwnMembers(const ComPtr<FakeDispatch>& f) {
    FakeDispatch* raw = f.get();
    raw->answer = [raw](const Invocation& c, VARIANT*, EXCEPINFO*) {
        for (auto& [name, id] : raw->members)
            if (id == c.id) return S_OK;
        return DISP_E_MEMBERNOTFOUND;
    };
}

TEST(DispatchMemberIds, ObjectsOfOneKindShareTheirLookUps) {
    MemberIds kind;
    auto first = MakeFake({{L"Title", 3}, {L"Add", 10}, {L"Filename", 21}, {L"CopyFile", 22}});
    auto second = MakeFake({{L"Title", 3}, {L"Add", 10}, {L"Filename", 21}, {L"CopyFile", 22}});
    Dispatch a(ComPtr<IDispatch>(first.get(), true), ExcelCalls::Unwatched(), &kind);
    Dispatch b(ComPtr<IDispatch>(second.get(), true), ExcelCalls::Unwatched(), &kind);
    a.get(L"Title");
    b.get(L"Title");
    a.get(L"title");  // names are looked up without regard to case
    a.call(L"Add", Named{L"Filename", L"x.xla"}, Named{L"CopyFile", false});
    b.call(L"Add", Named{L"Filename", L"y.xla"}, Named{L"CopyFile", true});
    b.call(L"Add", Named{L"CopyFile", true});  // other named arguments: a look-up of their own

    EXPECT_EQ(first->lookups, (std::vector<std::vector<std::wstring>>{{L"Title"}, {L"Add", L"Filename", L"CopyFile"}}));
    EXPECT_EQ(second->lookups, (std::vector<std::vector<std::wstring>>{{L"Add", L"CopyFile"}}));
    ASSERT_EQ(second->calls.size(), 3u);
    EXPECT_EQ(second->calls[0].id, 3);
    EXPECT_EQ(second->calls[1].id, 10);
    EXPECT_EQ(second->calls[1].named, (std::vector<DISPID>{22, 21}));
    EXPECT_EQ(second->calls[2].named, std::vector<DISPID>{22});

    auto unrelated = MakeFake({{L"Title", 3}});
    Wrap(unrelated).get(L"Title");  // an object of no kind keeps nothing and uses nothing kept
    Wrap(unrelated).get(L"Title");
    EXPECT_EQ(unrelated->lookups.size(), 2u);
}

// A failed look-up is neither kept nor leaves a stale DISPID behind: a server without the member
// answers DISP_E_UNKNOWNNAME, the answer a fallback relies on, every time.
TEST(DispatchMemberIds, AMemberAServerLacksFailsThereEveryTime) {
    MemberIds kind;
    auto excel2003 = MakeFake({{L"Caption", 5}, {L"Hwnd", 40}});
    auto excel2000 = MakeFake({{L"Caption", 5}});
    KnowOnlyOwnMembers(excel2000);
    Dispatch(ComPtr<IDispatch>(excel2003.get(), true), ExcelCalls::Unwatched(), &kind).get(L"Hwnd");
    Dispatch app(ComPtr<IDispatch>(excel2000.get(), true), ExcelCalls::Unwatched(), &kind);
    for (int i = 0; i < 2; ++i) {
        try {
            app.get(L"Hwnd");
            ADD_FAILURE() << "Hwnd found on a server without it";
        } catch (const ExcelError& e) {
            EXPECT_EQ(e.HResult(), static_cast<long>(DISP_E_UNKNOWNNAME));
        }
    }
    EXPECT_EQ(excel2000->lookups.size(), 2u);
    EXPECT_EQ(excel2000->calls.size(), 1u) << "only the kept DISPID was tried";
    auto again = MakeFake({{L"Hwnd", 41}});
    Dispatch(ComPtr<IDispatch>(again.get(), true), ExcelCalls::Unwatched(), &kind).get(L"Hwnd");
    ASSERT_EQ(again->calls.size(), 1u);
    EXPECT_EQ(again->calls[0].id, 41) << "the failed look-up left nothing stale behind";
}

// ---- Enumeration ----

class FakeEnum final : public FakeUnknown<IEnumVARIANT> {
public:
    FakeEnum(std::vector<IDispatch*> items, bool* released) : items_(std::move(items)), released_(released) {
        for (auto* i : items_) i->AddRef();
    }
    std::vector<ULONG>* asked = nullptr;  // the count of every Next
    int busyAnswers = 0;                  // refuse this many calls as busy first

    HRESULT STDMETHODCALLTYPE Next(ULONG n, VARIANT* out, ULONG* got) override {
        if (asked) asked->push_back(n);
        if (busyAnswers > 0) {
            --busyAnswers;
            if (got) *got = 0;
            return RPC_E_SERVERCALL_RETRYLATER;
        }
        ULONG k = 0;
        while (k < n && pos_ < items_.size()) {
            VariantInit(&out[k]);
            out[k].vt = VT_DISPATCH;
            out[k].pdispVal = items_[pos_++];
            out[k].pdispVal->AddRef();
            ++k;
        }
        if (got) *got = k;
        return k == n ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override { pos_ += n; return pos_ <= items_.size() ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reset() override { pos_ = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

private:
    ~FakeEnum() override {
        for (auto* i : items_) i->Release();
        *released_ = true;
    }
    std::vector<IDispatch*> items_;
    size_t pos_ = 0;
    bool* released_;
};

// A collection of objects whose Name is their label.
struct FakeCollection {
    std::vector<ComPtr<FakeDispatch>> items;
    ComPtr<FakeDispatch> collection = MakeFake({});
    bool enumReleased = false;
    int newEnumCalls = 0;
    std::vector<ULONG> asked;  // the count of every IEnumVARIANT::Next
    int busyAnswers = 0;

    explicit FakeCollection(std::vector<std::wstring> names) {
        for (auto& n : names) {
            auto item = MakeFake({{L"Name", 1}});
            item->answer = [n](const Invocation&, VARIANT* r, EXCEPINFO*) {
                r->vt = VT_BSTR;
                r->bstrVal = SysAllocString(n.c_str());
                return S_OK;
            };
            items.push_back(std::move(item));
        }
        collection->answer = [this](const Invocation& c, VARIANT* r, EXCEPINFO*) {
            if (c.id != DISPID_NEWENUM) return DISP_E_MEMBERNOTFOUND;
            ++newEnumCalls;
            std::vector<IDispatch*> raw;
            for (auto& i : items) raw.push_back(i.get());
            r->vt = VT_UNKNOWN;
            auto* e = new FakeEnum(raw, &enumReleased);
            e->asked = &asked;
            e->busyAnswers = busyAnswers;
            r->punkVal = e;
            return S_OK;
        };
    }
};

// Elements come in order, many per call (at most one call per 64 elements and one more for the
// end), after waiting out busy refusals; the enumerator and every element are let go.
TEST(DispatchEnumeration, VisitsEveryElementInOrderInBatches) {
    struct Case {
        int count, busy;
    } cases[] = {{0, 0}, {3, 0}, {150, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<std::wstring> names;
        for (int i = 0; i < c.count; ++i) names.push_back(L"t" + std::to_wstring(i) + L".xla");
        FakeCollection fc(names);
        fc.busyAnswers = c.busy;
        std::vector<std::wstring> seen;
        for (Dispatch item : each(Wrap(fc.collection)))
            seen.push_back(qv::excel::com::ToString(item.get(L"Name"), L"Name"));
        EXPECT_EQ(seen, names);
        EXPECT_EQ(fc.newEnumCalls, 1);
        ASSERT_EQ(fc.collection->calls.size(), 1u);
        EXPECT_EQ(fc.collection->calls[0].flags, kCallFlags);
        ASSERT_GT(fc.asked.size(), static_cast<size_t>(c.busy));
        EXPECT_LE(fc.asked.size(), c.busy + c.count / 64 + 1u);
        if (c.count > 1) { EXPECT_GT(fc.asked[c.busy], 1u); }
        EXPECT_TRUE(fc.enumReleased);
        for (auto& i : fc.items) EXPECT_EQ(i->refs, 1) << "an element was leaked";
    }
}

TEST(DispatchEnumeration, LeavingEarlyReleasesTheEnumerator) {
    FakeCollection fc({L"a.xla", L"b.xla", L"c.xla"});
    int visited = 0;
    {
        for (Dispatch item : each(Wrap(fc.collection))) {
            ++visited;
            if (qv::excel::com::ToString(item.get(L"Name"), L"Name") == L"a.xla") break;
        }
        EXPECT_TRUE(fc.enumReleased) << "the enumerator must go with the loop";
    }
    EXPECT_EQ(visited, 1);
    for (auto& i : fc.items) EXPECT_EQ(i->refs, 1) << "an element was leaked";
}

TEST(DispatchEnumeration, EnumeratorCursorStopsAtTheEnd) {
    FakeCollection fc({L"only.xla"});
    qv::excel::com::Enumerator e(Wrap(fc.collection));
    EXPECT_TRUE(e.Next().has_value());
    EXPECT_FALSE(e.Next().has_value());
    EXPECT_TRUE(fc.enumReleased) << "an exhausted enumerator lets go at once";
    EXPECT_FALSE(e.Next().has_value());
}

}  // namespace
