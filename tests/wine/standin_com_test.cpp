// The Excel stand-in reached as the product reaches Excel: CoCreateInstance of the registered
// class, then IDispatch by member name. Each test starts from a scratch registry and folder.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <string>
#include <vector>

#include "excel/com/excel_calls.h"
#include "excel/com/patience.h"
#include "fileinfo/win32/summary_writer.h"
#include "platform/win32/handles.h"
#include "wine_env.h"

namespace {

using qv::win32::ComInit;
using qv::win32::ComPtr;
using qv::win32::UniqueHandle;
using qv::win32::UniqueHkey;
using qv::win32::Variant;
using qv::test::CountStandIns;
using qv::test::RemoveTree;
using qv::test::StandInExe;

// Waits up to 15 s for exactly `n` stand-in processes.
bool StandInsBecome(int n) { return qv::test::WaitForStandInCount(n, 15000); }

const CLSID kStandIn = {0x5E0B7C1A, 0x3F2D, 0x4C8B, {0x9A, 0x61, 0x7D, 0x2E, 0x4F, 0x8B, 0x1C, 0x35}};
const wchar_t* kSettings = L"Software\\ExcelStandIn";
const wchar_t* kAnswers = L"Software\\ExcelStandIn\\Answers";
const wchar_t* kOffice = L"Software\\Microsoft\\Office\\11.0";
const std::wstring kOptions = L"Software\\Microsoft\\Office\\11.0\\Excel\\Options";
const std::wstring kManager = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";

// ---- registry ----

void SetString(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    UniqueHkey k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr), 0);
    RegSetValueExW(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void SetMulti(const std::wstring& key, const std::wstring& name, const std::vector<std::wstring>& items) {
    std::wstring data;
    for (auto& i : items) data += i + L'\0';
    data += L'\0';
    UniqueHkey k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr), 0);
    RegSetValueExW(k.get(), name.c_str(), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

// All values of a key as name -> data (REG_SZ), or "<type n>" for other types.
std::map<std::wstring, std::wstring> Values(const std::wstring& key) {
    std::map<std::wstring, std::wstring> r;
    UniqueHkey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, k.put()) != 0) return r;
    for (DWORD i = 0;; ++i) {
        wchar_t name[1024], data[4096];
        DWORD nameLen = 1024, bytes = sizeof(data), type = 0;
        if (RegEnumValueW(k.get(), i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != 0) break;
        r[name] = type == REG_SZ ? std::wstring(data) : L"<type " + std::to_wstring(type) + L">";
    }
    return r;
}

// ---- files ----

// An OLE compound document with a summary property set, as an add-in file carries one.
void WriteXla(const std::wstring& path, const std::wstring& title) {
    ASSERT_TRUE(qv::win32::WriteXlaFixture(path, title, L"")) << qv::test::Narrow(path);
}

// ---- automation client ----

struct Arg {
    std::wstring name;  // empty: positional
    Variant value;
};

struct Result {
    HRESULT hr = E_FAIL;
    Variant value;
    std::wstring description;
};

std::vector<Arg> Positional(std::vector<Variant> values) {
    std::vector<Arg> r;
    for (auto& v : values) r.push_back({L"", std::move(v)});
    return r;
}

// Calls go through the Excel boundary's own invoker, which also calls again while Excel is
// busy, as VBA does for its caller; a failure comes back as its HRESULT (for an exception the
// server raised, the exception's code) and the server's description.
const WORD kGet = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

template <size_t... I>
Variant CallWith(const qv::excel::com::Dispatch& d, const std::wstring& member, std::vector<Arg>& args,
                 std::index_sequence<I...>) {
    return d.call(member, qv::excel::com::Named{args[I].name, qv::win32::Arg(std::move(args[I].value))}...);
}

Result Invoke(IDispatch* raw, const std::wstring& member, WORD flags, std::vector<Arg> args = {}) {
    Result r;
    qv::excel::com::Dispatch d(ComPtr<IDispatch>(raw, true), qv::excel::com::ExcelCalls::Unwatched());
    try {
        if (flags == DISPATCH_PROPERTYPUT) {
            EXPECT_EQ(args.size(), 1u) << "a property takes one value";
            d.put(member, qv::win32::Arg(std::move(args.at(0).value)));
        } else {
            switch (args.size()) {
                case 0: r.value = d.call(member); break;
                case 1: r.value = CallWith(d, member, args, std::make_index_sequence<1>()); break;
                case 2: r.value = CallWith(d, member, args, std::make_index_sequence<2>()); break;
                case 3: r.value = CallWith(d, member, args, std::make_index_sequence<3>()); break;
                case 4: r.value = CallWith(d, member, args, std::make_index_sequence<4>()); break;
                case 5: r.value = CallWith(d, member, args, std::make_index_sequence<5>()); break;
                default: ADD_FAILURE() << "more arguments than the tests pass"; return r;
            }
        }
        r.hr = S_OK;
    } catch (const qv::excel::ExcelError& e) {
        r.hr = static_cast<HRESULT>(e.HResult());
        r.description = e.Description();
    }
    return r;
}

// A failure the member itself raised, as an exception: the call reached it, unlike an unknown
// name, a wrong argument list or a broken connection.
bool RaisedByExcel(const Result& r) {
    const HRESULT notReached[] = {DISP_E_UNKNOWNNAME, DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT,
                                  DISP_E_TYPEMISMATCH, DISP_E_PARAMNOTFOUND, DISP_E_NONAMEDARGS, E_POINTER};
    if (!FAILED(r.hr) || HRESULT_FACILITY(r.hr) == FACILITY_RPC) return false;
    for (HRESULT h : notReached)
        if (r.hr == h) return false;
    return true;
}


std::wstring Str(IDispatch* d, const std::wstring& member) {
    Result r = Invoke(d, member, kGet);
    EXPECT_EQ(r.hr, S_OK) << "get " << testing::PrintToString(member);
    EXPECT_EQ(r.value.vt(), VT_BSTR);
    return r.value.vt() == VT_BSTR ? std::wstring(r.value.get()->bstrVal) : L"";
}

bool Flag(IDispatch* d, const std::wstring& member) {
    Result r = Invoke(d, member, kGet);
    EXPECT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt(), VT_BOOL);
    return r.value.vt() == VT_BOOL && r.value.get()->boolVal == VARIANT_TRUE;
}

long Number(IDispatch* d, const std::wstring& member) {
    Result r = Invoke(d, member, kGet);
    EXPECT_EQ(r.hr, S_OK);
    EXPECT_EQ(VariantChangeType(r.value.get(), r.value.get(), 0, VT_I4), S_OK);
    return r.value.get()->lVal;
}

ComPtr<IDispatch> Obj(Result r) {
    EXPECT_EQ(r.hr, S_OK) << testing::PrintToString(r.description);
    EXPECT_EQ(r.value.vt(), VT_DISPATCH);
    if (r.hr != S_OK || r.value.vt() != VT_DISPATCH) return {};
    return ComPtr<IDispatch>(r.value.get()->pdispVal, true);
}

ComPtr<IDispatch> Obj(IDispatch* d, const std::wstring& member, std::vector<Arg> args = {}) {
    return Obj(Invoke(d, member, kGet, std::move(args)));
}

void Put(IDispatch* d, const std::wstring& member, bool value) {
    std::vector<Arg> args;
    args.push_back({L"", Variant::FromBool(value)});
    Result r = Invoke(d, member, DISPATCH_PROPERTYPUT, std::move(args));
    EXPECT_EQ(r.hr, S_OK) << testing::PrintToString(r.description);
}

// Items of a collection through _NewEnum / IEnumVARIANT, with the boundary's enumerator.
std::vector<ComPtr<IDispatch>> Each(IDispatch* collection) {
    std::vector<ComPtr<IDispatch>> items;
    try {
        for (auto item : qv::excel::com::each(qv::excel::com::Dispatch(ComPtr<IDispatch>(collection, true), qv::excel::com::ExcelCalls::Unwatched())))
            items.emplace_back(item.raw(), true);
    } catch (const qv::excel::ExcelError& e) {
        ADD_FAILURE() << "enumeration failed: " << std::hex << e.HResult();
    }
    return items;
}

ComPtr<IDispatch> CreateExcel() {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"Excel.Application", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kStandIn));
    ComPtr<IDispatch> app;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.put_void()), S_OK);
    return app;
}

void Quit(ComPtr<IDispatch>& app) {
    EXPECT_EQ(Invoke(app.get(), L"Quit", DISPATCH_METHOD).hr, S_OK);
    app.reset();
}

class StandInCom : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // Register this build's stand-in in the prefix, so the tests reach the server they test.
        ASSERT_EQ(RegisterServer(StandInExe()), 0u);
    }

    // Runs `exe /regserver`; its exit code.
    static DWORD RegisterServer(const std::wstring& exe) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        std::wstring cmd = L"\"" + exe + L"\" /regserver";
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 98;
        WaitForSingleObject(pi.hProcess, 30000);
        DWORD code = 99;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return code;
    }

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        ASSERT_TRUE(StandInsBecome(0)) << "a stand-in is left over";
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
        RegDeleteTreeW(HKEY_CURRENT_USER, kOffice);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"standin_com_test";
        RemoveTree(root_);
        for (auto f : {L"", L"\\user", L"\\lib", L"\\tools"}) CreateDirectoryW((root_ + f).c_str(), nullptr);
        user_ = root_ + L"\\user";
        lib_ = root_ + L"\\lib";
        tools_ = root_ + L"\\tools";
        SetString(kSettings, L"Version", L"11.0");
        SetString(kSettings, L"UserLibraryPath", user_ + L"\\");
        SetString(kSettings, L"LibraryPath", lib_);
    }

    void TearDown() override {
        EXPECT_TRUE(StandInsBecome(0)) << "a stand-in outlived its clients";
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
        RegDeleteTreeW(HKEY_CURRENT_USER, kOffice);
        RemoveTree(root_);
    }

    ComInit com_;
    std::wstring root_, user_, lib_, tools_;
};

TEST_F(StandInCom, ApplicationMembersAndOneProcessPerInstance) {
    SetString(kSettings, L"Version", L"8.0");
    auto a = CreateExcel();
    auto b = CreateExcel();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(CountStandIns(), 2);
    EXPECT_EQ(Str(a.get(), L"version"), L"8.0");
    EXPECT_EQ(Str(a.get(), L"Version"), L"8.0");
    EXPECT_TRUE(RaisedByExcel(Invoke(a.get(), L"UserLibraryPath", kGet))) << "Excel 97 has no user add-in folder";
    EXPECT_EQ(Str(a.get(), L"LibraryPath"), lib_);
    EXPECT_FALSE(Flag(a.get(), L"Visible"));
    auto books = Obj(a.get(), L"Workbooks");
    ASSERT_TRUE(books);
    EXPECT_EQ(Number(books.get(), L"Count"), 0);
    EXPECT_TRUE(Each(books.get()).empty());
    EXPECT_EQ(Invoke(a.get(), L"NoSuchMember", kGet).hr, DISP_E_UNKNOWNNAME);
    std::vector<Arg> newVersion;
    newVersion.push_back({L"", Variant::FromString(L"12.0")});
    EXPECT_EQ(Invoke(a.get(), L"Version", DISPATCH_PROPERTYPUT, std::move(newVersion)).hr, DISP_E_MEMBERNOTFOUND);
    books.reset();
    Quit(a);
    EXPECT_TRUE(StandInsBecome(1)) << "quit and released ends only that instance";
    EXPECT_EQ(Str(b.get(), L"Version"), L"8.0");
    b.reset();  // released without Quit
    EXPECT_TRUE(StandInsBecome(0));
}

TEST_F(StandInCom, AddinListEnumerationItemAndInstalledWrittenAtQuit) {
    WriteXla(tools_ + L"\\a.xla", L"Alpha tools");
    WriteXla(tools_ + L"\\b.xla", L"Beta tools");
    WriteXla(user_ + L"\\u.xla", L"");
    SetString(kOptions, L"OPEN", L"/R \"" + tools_ + L"\\a.xla\"");
    SetString(kManager, tools_ + L"\\b.xla", L"");
    SetString(kManager, root_ + L"\\gone\\m.xla", L"");
    auto app = CreateExcel();
    ASSERT_TRUE(app);
    auto addins = Obj(app.get(), L"AddIns");
    ASSERT_TRUE(addins);
    EXPECT_EQ(Number(addins.get(), L"Count"), 4);
    std::vector<std::wstring> seen;
    for (auto& ai : Each(addins.get()))
        seen.push_back(Str(ai.get(), L"Name") + L"|" + Str(ai.get(), L"FullName") + L"|" + Str(ai.get(), L"Title") + L"|" +
                       Str(ai.get(), L"Path") + L"|" + (Flag(ai.get(), L"Installed") ? L"True" : L"False"));
    EXPECT_EQ(seen, (std::vector<std::wstring>{
                        L"a.xla|" + tools_ + L"\\a.xla|Alpha tools|" + tools_ + L"|True",
                        L"b.xla|" + tools_ + L"\\b.xla|Beta tools|" + tools_ + L"|False",
                        L"m.xla|" + root_ + L"\\gone\\m.xla|m|" + root_ + L"\\gone|False",
                        L"u.xla|" + user_ + L"\\u.xla|u|" + user_ + L"|False",
                    }));

    // AddIns("title") on the application and the collection's default member.
    auto beta = Obj(app.get(), L"addins", Positional([] { std::vector<Variant> v; v.push_back(Variant::FromString(L"Beta tools")); return v; }()));
    ASSERT_TRUE(beta);
    EXPECT_EQ(Str(beta.get(), L"FullName"), tools_ + L"\\b.xla");
    {
        Variant title = Variant::FromString(L"alpha TOOLS");
        DISPPARAMS p{title.get(), nullptr, 1, 0};
        Variant r;
        ASSERT_EQ(addins->Invoke(DISPID_VALUE, IID_NULL, 0, kGet, &p, r.put(), nullptr, nullptr), S_OK);
        ASSERT_EQ(r.vt(), VT_DISPATCH);
        EXPECT_EQ(Str(r.get()->pdispVal, L"Name"), L"a.xla");
    }
    std::vector<Variant> second;
    second.push_back(Variant::FromLong(2));
    auto byNumber = Obj(addins.get(), L"Item", Positional(std::move(second)));
    ASSERT_TRUE(byNumber);
    EXPECT_EQ(Str(byNumber.get(), L"Name"), L"b.xla");
    byNumber.reset();
    // Positions count from 1 up to Count, in Workbooks as in AddIns.
    auto booksByPosition = Obj(app.get(), L"Workbooks");
    for (IDispatch* collection : {addins.get(), booksByPosition.get()}) {
        for (long pos : {0L, 99L}) {
            std::vector<Variant> at;
            at.push_back(Variant::FromLong(pos));
            Result outside = Invoke(collection, L"Item", kGet, Positional(std::move(at)));
            EXPECT_EQ(outside.hr, static_cast<HRESULT>(0x8002000BL)) << pos;
        }
    }
    booksByPosition.reset();
    std::vector<Variant> unknown;
    unknown.push_back(Variant::FromString(L"No such title"));
    Result missing = Invoke(app.get(), L"AddIns", kGet, Positional(std::move(unknown)));
    EXPECT_TRUE(RaisedByExcel(missing)) << std::hex << missing.hr;
    EXPECT_NE(missing.description.find(L"No such title"), std::wstring::npos);

    // Switching on a missing file fails with Excel's kind of error.
    auto gone = Obj(app.get(), L"AddIns", Positional([] { std::vector<Variant> v; v.push_back(Variant::FromString(L"m")); return v; }()));
    ASSERT_TRUE(gone);
    std::vector<Arg> on;
    on.push_back({L"", Variant::FromBool(true)});
    Result refused = Invoke(gone.get(), L"Installed", DISPATCH_PROPERTYPUT, std::move(on));
    EXPECT_TRUE(RaisedByExcel(refused)) << std::hex << refused.hr;
    EXPECT_FALSE(refused.description.empty());

    // Switch Beta on, and Alpha off after opening its file as a workbook.
    Put(beta.get(), L"Installed", true);
    auto alpha = Obj(app.get(), L"AddIns", Positional([] { std::vector<Variant> v; v.push_back(Variant::FromString(L"Alpha tools")); return v; }()));
    auto books = Obj(app.get(), L"Workbooks");
    std::vector<Variant> file;
    file.push_back(Variant::FromString(Str(alpha.get(), L"FullName")));
    EXPECT_EQ(Invoke(books.get(), L"Open", kGet, Positional(std::move(file))).hr, S_OK);
    EXPECT_EQ(Number(books.get(), L"Count"), 1);
    Put(alpha.get(), L"Installed", false);
    EXPECT_EQ(Number(books.get(), L"Count"), 0) << "switching off closes the add-in's workbook";
    EXPECT_TRUE(Flag(beta.get(), L"Installed"));
    EXPECT_EQ(Values(kOptions).at(L"OPEN"), L"/R \"" + tools_ + L"\\a.xla\"") << "nothing is written before Quit";
    Quit(app);
    alpha.reset(); beta.reset(); gone.reset(); addins.reset(); books.reset();
    ASSERT_TRUE(StandInsBecome(0)) << "Excel writes its list when its process ends";
    EXPECT_EQ(Values(kOptions), (std::map<std::wstring, std::wstring>{{L"OPEN", L"/R \"" + tools_ + L"\\b.xla\""}}));
    EXPECT_EQ(Values(kManager), (std::map<std::wstring, std::wstring>{{tools_ + L"\\a.xla", L""},
                                                                     {root_ + L"\\gone\\m.xla", L""}}));
}

// AddIns("title").
ComPtr<IDispatch> AddInTitled(IDispatch* app, const std::wstring& title) {
    std::vector<Variant> t;
    t.push_back(Variant::FromString(title));
    return Obj(app, L"AddIns", Positional(std::move(t)));
}

// An invisible Excel whose last reference goes without Quit ends too, and on its way out it
// writes its whole list, as it read it plus its own changes, over what the registry holds then.
TEST_F(StandInCom, ReleasedWithoutQuitWritesItsWholeListAtItsEnd) {
    SetString(kSettings, L"ExitDelayMilliseconds", L"1500");
    WriteXla(tools_ + L"\\b.xla", L"Beta");
    SetString(kManager, tools_ + L"\\b.xla", L"");
    auto app = CreateExcel();
    ASSERT_TRUE(app);
    Put(AddInTitled(app.get(), L"Beta").get(), L"Installed", true);
    SetString(kManager, tools_ + L"\\later.xla", L"");  // written by another program while it runs
    app.reset();
    EXPECT_EQ(CountStandIns(), 1) << "it takes its shutdown time";
    EXPECT_TRUE(Values(kOptions).empty()) << "nothing written while it shuts down";
    ASSERT_TRUE(StandInsBecome(0));
    EXPECT_EQ(Values(kOptions), (std::map<std::wstring, std::wstring>{{L"OPEN", L"/R \"" + tools_ + L"\\b.xla\""}}));
    EXPECT_TRUE(Values(kManager).empty()) << "the entry written after its start is gone";
}

// Two instances whose lives overlap: the one that ends later writes its older list, and the
// other's change is lost, as with Excel.
TEST_F(StandInCom, OverlappingInstancesTheLaterEndWins) {
    WriteXla(tools_ + L"\\x.xla", L"Ex");
    WriteXla(tools_ + L"\\y.xla", L"Why");
    SetString(kManager, tools_ + L"\\x.xla", L"");
    SetString(kManager, tools_ + L"\\y.xla", L"");
    auto first = CreateExcel();
    auto second = CreateExcel();
    ASSERT_TRUE(first && second);
    Put(AddInTitled(first.get(), L"Ex").get(), L"Installed", true);
    Put(AddInTitled(second.get(), L"Why").get(), L"Installed", true);
    Quit(first);
    ASSERT_TRUE(StandInsBecome(1));
    EXPECT_EQ(Values(kOptions), (std::map<std::wstring, std::wstring>{{L"OPEN", L"/R \"" + tools_ + L"\\x.xla\""}}));
    second.reset();  // without Quit
    ASSERT_TRUE(StandInsBecome(0));
    EXPECT_EQ(Values(kOptions), (std::map<std::wstring, std::wstring>{{L"OPEN", L"/R \"" + tools_ + L"\\y.xla\""}}))
        << "Ex, switched on by the first, is lost";
    EXPECT_EQ(Values(kManager), (std::map<std::wstring, std::wstring>{{tools_ + L"\\x.xla", L""}}));
}

TEST_F(StandInCom, AddWithNamedArgumentsNeedsAnOpenWorkbook) {
    WriteXla(tools_ + L"\\new.xla", L"New one");
    auto app = CreateExcel();
    ASSERT_TRUE(app);
    auto addins = Obj(app.get(), L"AddIns");
    auto books = Obj(app.get(), L"Workbooks");
    auto addArgs = [&] {
        std::vector<Arg> a;  // named, and not in declaration order
        a.push_back({L"Copyfile", Variant::FromBool(true)});
        a.push_back({L"filename", Variant::FromString(tools_ + L"\\new.xla")});
        return a;
    };
    std::vector<Arg> misnamed;
    misnamed.push_back({L"FileNam", Variant::FromString(tools_ + L"\\new.xla")});
    EXPECT_EQ(Invoke(addins.get(), L"Add", kGet, std::move(misnamed)).hr, DISP_E_UNKNOWNNAME);
    Result refused = Invoke(addins.get(), L"Add", kGet, addArgs());
    EXPECT_TRUE(RaisedByExcel(refused)) << std::hex << refused.hr;
    EXPECT_FALSE(refused.description.empty());

    std::vector<Variant> gone;
    gone.push_back(Variant::FromString(tools_ + L"\\missing.xla"));
    Result notFound = Invoke(books.get(), L"Open", kGet, Positional(std::move(gone)));
    EXPECT_TRUE(RaisedByExcel(notFound)) << std::hex << notFound.hr;
    EXPECT_NE(notFound.description.find(L"missing.xla"), std::wstring::npos);

    auto book = Obj(books.get(), L"Add");
    ASSERT_TRUE(book);
    EXPECT_EQ(Str(book.get(), L"Name"), L"Book1");
    std::vector<std::wstring> names;
    for (auto& w : Each(books.get())) names.push_back(Str(w.get(), L"Name"));
    EXPECT_EQ(names, std::vector<std::wstring>{L"Book1"});

    auto added = Obj(Invoke(addins.get(), L"add", kGet, addArgs()));
    ASSERT_TRUE(added);
    EXPECT_EQ(Str(added.get(), L"Title"), L"New one");
    EXPECT_FALSE(Flag(added.get(), L"Installed"));
    auto again = Obj(Invoke(addins.get(), L"Add", kGet, addArgs()));
    EXPECT_EQ(Number(addins.get(), L"Count"), 1) << "adding a listed file gives its entry";
    Put(added.get(), L"Installed", true);
    std::vector<Variant> noSave;
    noSave.push_back(Variant::FromBool(false));
    EXPECT_EQ(Invoke(book.get(), L"Close", DISPATCH_METHOD, Positional(std::move(noSave))).hr, S_OK);
    EXPECT_EQ(Number(books.get(), L"Count"), 0);
    Quit(app);
    added.reset(); again.reset(); book.reset(); books.reset(); addins.reset();
    ASSERT_TRUE(StandInsBecome(0));
    EXPECT_EQ(Values(kOptions), (std::map<std::wstring, std::wstring>{{L"OPEN", L"/R \"" + tools_ + L"\\new.xla\""}}));
    EXPECT_TRUE(Values(kManager).empty());
}

TEST_F(StandInCom, ScriptedFileDialogs) {
    SetMulti(kAnswers, L"GetOpenFilename", {L"C:\\x\\a.xla", L"C:\\y\\b c.xla"});
    SetString(kAnswers, L"GetSaveAsFilename", L"C:\\dest\\a.xla");
    auto app = CreateExcel();
    ASSERT_TRUE(app);
    auto open = [&] {
        std::vector<Arg> a;
        a.push_back({L"", Variant::FromString(L"Add-ins (*.xla),*.xla")});
        a.push_back({L"", Variant::Missing()});
        a.push_back({L"", Variant::Missing()});
        a.push_back({L"", Variant::Missing()});
        a.push_back({L"", Variant::FromBool(true)});
        return Invoke(app.get(), L"GetOpenFilename", kGet, std::move(a));
    };
    auto paths = [](const Result& r) {
        std::vector<std::wstring> p;
        EXPECT_EQ(r.value.vt(), VT_ARRAY | VT_VARIANT);
        if (r.value.vt() != (VT_ARRAY | VT_VARIANT)) return p;
        SAFEARRAY* sa = r.value.get()->parray;
        LONG lo = 0, hi = -1;
        SafeArrayGetLBound(sa, 1, &lo);
        SafeArrayGetUBound(sa, 1, &hi);
        EXPECT_EQ(lo, 1);
        for (LONG i = lo; i <= hi; ++i) {
            Variant v;
            SafeArrayGetElement(sa, &i, v.put());
            EXPECT_EQ(v.vt(), VT_BSTR);
            if (v.vt() == VT_BSTR) p.push_back(v.get()->bstrVal);
        }
        return p;
    };
    Result two = open();
    ASSERT_EQ(two.hr, S_OK);
    EXPECT_EQ(paths(two), (std::vector<std::wstring>{L"C:\\x\\a.xla", L"C:\\y\\b c.xla"}));
    EXPECT_EQ(Values(kAnswers).count(L"GetOpenFilename"), 0u) << "the answer is consumed";
    EXPECT_EQ(Values(kAnswers).at(L"LastOpenFilter"), L"Add-ins (*.xla),*.xla");

    SetMulti(kAnswers, L"GetOpenFilename", {L"C:\\x\\only.xla"});
    EXPECT_EQ(paths(open()), std::vector<std::wstring>{L"C:\\x\\only.xla"});
    SetMulti(kAnswers, L"GetOpenFilename", {});
    Result cancel = open();
    EXPECT_EQ(cancel.value.vt(), VT_BOOL);
    EXPECT_EQ(cancel.value.get()->boolVal, VARIANT_FALSE);

    std::vector<Variant> initial;
    initial.push_back(Variant::FromString(L"a.xla"));
    Result saveAs = Invoke(app.get(), L"GetSaveAsFilename", kGet, Positional(std::move(initial)));
    ASSERT_EQ(saveAs.value.vt(), VT_BSTR);
    EXPECT_EQ(std::wstring(saveAs.value.get()->bstrVal), L"C:\\dest\\a.xla");
    EXPECT_EQ(Values(kAnswers).at(L"LastSaveAsInitial"), L"a.xla");
    SetString(kAnswers, L"GetSaveAsFilename", L"");
    std::vector<Arg> named;
    named.push_back({L"InitialFilename", Variant::FromString(L"b.xla")});
    Result saveCancel = Invoke(app.get(), L"GetSaveAsFilename", kGet, std::move(named));
    EXPECT_EQ(saveCancel.value.vt(), VT_BOOL);
    EXPECT_EQ(Values(kAnswers).at(L"LastSaveAsInitial"), L"b.xla");
    Quit(app);
}

// Without a display (Wine with no X server) no window can exist at all.
bool CanShowWindows() {
    HWND w = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (w) DestroyWindow(w);
    return w != nullptr;
}

// The user's own Excel, started by hand and found in the running object table.
TEST_F(StandInCom, RunningExcelIsFoundAndEndsAtQuit) {
    struct Case {
        const wchar_t* args;
        bool visible;
        std::vector<std::wstring> books;
    } cases[] = {
        {L" /running /hidden Book1 \"My sheet.xls\"", false, {L"Book1", L"My sheet.xls"}},
        {L" /running Sales.xls", true, {L"Sales.xls"}},
    };
    for (auto& c : cases) {
        ComPtr<IUnknown> none;
        EXPECT_EQ(GetActiveObject(kStandIn, nullptr, none.put()), MK_E_UNAVAILABLE);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        std::wstring cmd = L"\"" + StandInExe() + L"\"" + c.args;
        ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        UniqueHandle process(pi.hProcess), thread(pi.hThread);
        ComPtr<IUnknown> unk;
        for (int i = 0; i < 150 && FAILED(GetActiveObject(kStandIn, nullptr, unk.put())); ++i) Sleep(100);
        ASSERT_TRUE(unk) << "not in the running object table";
        auto app = unk.query<IDispatch>();
        unk.reset();
        ASSERT_TRUE(app);
        EXPECT_EQ(Flag(app.get(), L"Visible"), c.visible);
        if (CanShowWindows()) {
            EXPECT_EQ(FindWindowW(nullptr, L"Excel stand-in") != nullptr, c.visible);
        }
        auto books = Obj(app.get(), L"Workbooks");
        EXPECT_EQ(Number(books.get(), L"Count"), static_cast<long>(c.books.size()));
        std::vector<std::wstring> names;
        for (auto& w : Each(books.get())) names.push_back(Str(w.get(), L"Name"));
        EXPECT_EQ(names, c.books);
        if (!c.visible) {
            Put(app.get(), L"Visible", true);
            EXPECT_TRUE(Flag(app.get(), L"Visible"));
        }
        books.reset();
        EXPECT_EQ(Invoke(app.get(), L"Quit", DISPATCH_METHOD).hr, S_OK);
        EXPECT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0) << "still running after Quit";
        app.reset();
        EXPECT_EQ(GetActiveObject(kStandIn, nullptr, none.put()), MK_E_UNAVAILABLE);
    }
}

// /list prints UTF-8; the library folder is the corpus of real add-ins written by others.
TEST_F(StandInCom, ListPrintsAddinsAndValuesAsUtf8) {
    const char* corpusEnv = getenv("QV_CORPUS");
    std::string corpus = corpusEnv ? corpusEnv : "/work/shared/corpus/xla";
    std::wstring corpusWin = L"Z:";
    for (char ch : corpus) corpusWin += ch == '/' ? L'\\' : static_cast<wchar_t>(ch);
    if (GetFileAttributesW(corpusWin.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no corpus";
    SetString(kSettings, L"LibraryPath", corpusWin);
    SetString(kOptions, L"OPEN", L"\"libreoffice__sales-ja.xla\"");
    SetString(kManager, tools_ + L"\\gone.xla", L"");

    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 0));
    UniqueHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writer.get();
    si.hStdError = writer.get();
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + StandInExe() + L"\" /list";
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    writer.reset();
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(reader.get(), buf, sizeof(buf), &n, nullptr) && n > 0) out.append(buf, n);
    ASSERT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0);

    int wn = MultiByteToWideChar(CP_UTF8, 0, out.data(), static_cast<int>(out.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, out.data(), static_cast<int>(out.size()), text.data(), wn);
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    auto has = [&](const std::wstring& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has(L"libreoffice__sales-ja.xla|" + corpusWin + L"\\libreoffice__sales-ja.xla|売上集計アドイン|" + corpusWin + L"|True"))
        << out;
    EXPECT_TRUE(has(L"libreoffice__ms-author.xla|" + corpusWin + L"\\libreoffice__ms-author.xla|Analysis Helpers|" + corpusWin + L"|False"));
    EXPECT_TRUE(has(L"gone.xla|" + tools_ + L"\\gone.xla|gone|" + tools_ + L"|False"));
    size_t addinLines = static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [](const std::wstring& l) {
        return std::count(l.begin(), l.end(), L'|') == 4;
    }));
    EXPECT_EQ(addinLines, 13u) << "twelve corpus files and one Add-in Manager entry";
    auto options = std::find(lines.begin(), lines.end(), L"[Options]");
    ASSERT_NE(options, lines.end());
    EXPECT_EQ(*(options + 1), L"OPEN=\"libreoffice__sales-ja.xla\"");
    EXPECT_EQ(*(options + 2), L"[Add-in Manager]");
    EXPECT_EQ(*(options + 3), tools_ + L"\\gone.xla=");
}

// Like Excel, it refuses calls while busy and names only in its languages; neutral is accepted.
TEST_F(StandInCom, RefusesWhileBusyAndOutsideItsLanguages) {
    SetString(kSettings, L"BusyMilliseconds", L"2000");
    SetString(kSettings, L"Languages", L"1033,1031");
    auto app = CreateExcel();
    ASSERT_TRUE(app);
    LPOLESTR version = const_cast<LPOLESTR>(L"Version");
    DISPID id = 0;
    EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &version, 1, 1033, &id), static_cast<HRESULT>(0x8001010AL)) << "busy at start";
    HRESULT named = S_OK;
    for (DWORD start = GetTickCount();
         (named = app->GetIDsOfNames(IID_NULL, &version, 1, 1033, &id)) == static_cast<HRESULT>(0x8001010AL) &&
         GetTickCount() - start < 30000;)
        Sleep(20);
    ASSERT_EQ(named, S_OK) << "no longer busy";
    struct Case {
        LCID lcid;
        HRESULT expected;
    } cases[] = {{1033, S_OK}, {1031, S_OK}, {0, S_OK}, {1041, static_cast<HRESULT>(0x80028018L)},
                 {LOCALE_USER_DEFAULT, static_cast<HRESULT>(0x80028018L)}};
    for (auto& c : cases) {
        DISPID found = 0;
        EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &version, 1, c.lcid, &found), c.expected) << c.lcid;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        Variant r;
        EXPECT_EQ(app->Invoke(id, IID_NULL, c.lcid, DISPATCH_PROPERTYGET, &none, r.put(), nullptr, nullptr), c.expected)
            << c.lcid;
    }
    // Opening a workbook keeps it busy again for a while.
    WriteXla(tools_ + L"\\a.xla", L"Alpha");
    auto books = Obj(app.get(), L"Workbooks");
    std::vector<Variant> file;
    file.push_back(Variant::FromString(tools_ + L"\\a.xla"));
    ASSERT_EQ(Invoke(books.get(), L"Open", kGet, Positional(std::move(file))).hr, S_OK);
    DISPID count = 0;
    LPOLESTR countName = const_cast<LPOLESTR>(L"Count");
    EXPECT_EQ(books->GetIDsOfNames(IID_NULL, &countName, 1, 1033, &count), static_cast<HRESULT>(0x8001010AL));
    books.reset();
    Quit(app);
}

// Its hidden XLMAIN window leads to its process: through Hwnd from Excel 2002 on, through its
// Caption before. An open workbook's file is held until the process ends, and the list is
// written only then, the shutdown time after the last release.
TEST_F(StandInCom, MainWindowHeldFilesAndAListWrittenOnTheWayOut) {
    SetString(kSettings, L"ExitDelayMilliseconds", L"3000");
    WriteXla(tools_ + L"\\a.xla", L"Alpha");
    for (const std::wstring version : {L"9.0", L"11.0"}) {
        SCOPED_TRACE(qv::test::Narrow(version));
        const std::wstring excel = L"Software\\Microsoft\\Office\\" + version + L"\\Excel";
        SetString(kSettings, L"Version", version);
        SetString(excel + L"\\Add-in Manager", tools_ + L"\\a.xla", L"");
        auto app = CreateExcel();
        ASSERT_TRUE(app);
        const bool hasHwnd = version == L"11.0";
        Result hwnd = Invoke(app.get(), L"Hwnd", kGet);
        EXPECT_EQ(hwnd.hr, hasHwnd ? S_OK : DISP_E_UNKNOWNNAME);
        std::vector<Variant> caption;
        caption.push_back(Variant::FromString(L"Unique caption 42"));
        ASSERT_EQ(Invoke(app.get(), L"Caption", DISPATCH_PROPERTYPUT, Positional(std::move(caption))).hr, S_OK);
        EXPECT_EQ(Str(app.get(), L"Caption"), L"Unique caption 42");
        HWND window = FindWindowW(L"XLMAIN", L"Unique caption 42");
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(IsWindowVisible(window));
        if (hasHwnd) {
            EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwnd.value.get()->lVal)), window);
        }
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
        ASSERT_TRUE(process);

        auto addins = Obj(app.get(), L"AddIns");
        auto alpha = Obj(addins.get(), L"Item", Positional([] { std::vector<Variant> v; v.push_back(Variant::FromString(L"Alpha")); return v; }()));
        ASSERT_TRUE(alpha);
        Put(alpha.get(), L"Installed", true);
        EXPECT_FALSE(DeleteFileW((tools_ + L"\\a.xla").c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "a loaded add-in's file is held";
        alpha.reset();
        addins.reset();
        EXPECT_EQ(Invoke(app.get(), L"Quit", DISPATCH_METHOD).hr, S_OK);
        EXPECT_EQ(WaitForSingleObject(process.get(), 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "a held instance lives on";
        app.reset();
        EXPECT_EQ(Values(excel + L"\\Options").count(L"OPEN"), 0u) << "nothing written while it shuts down";
        ASSERT_EQ(WaitForSingleObject(process.get(), 15000), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(Values(excel + L"\\Options")[L"OPEN"], L"/R \"" + tools_ + L"\\a.xla\"");
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Microsoft\\Office\\" + version).c_str());
    }
}

// A client looks each DISPID up once per kind of object and keeps it for every Excel it meets, as
// Excel's type library allows: a member that only some versions have must not shift the others.
TEST_F(StandInCom, DispidsAreTheSameInEveryVersion) {
    const wchar_t* names[] = {L"Name", L"Version", L"UserLibraryPath", L"LibraryPath", L"Visible", L"Workbooks",
                              L"AddIns", L"GetOpenFilename", L"GetSaveAsFilename", L"DisplayAlerts", L"Caption", L"Quit"};
    std::map<std::wstring, std::vector<DISPID>> byVersion;
    for (const std::wstring version : {L"8.0", L"11.0"}) {
        SCOPED_TRACE(qv::test::Narrow(version));
        SetString(kSettings, L"Version", version);
        auto app = CreateExcel();
        ASSERT_TRUE(app);
        for (const wchar_t* name : names) {
            LPOLESTR n = const_cast<LPOLESTR>(name);
            DISPID id = DISPID_UNKNOWN;
            EXPECT_EQ(qv::excel::com::CallPatiently(
                          [&] { return app->GetIDsOfNames(IID_NULL, &n, 1, qv::excel::com::kCallLcid, &id); }),
                      S_OK);
            byVersion[version].push_back(id);
        }
        Quit(app);
    }
    EXPECT_EQ(byVersion[L"8.0"], byVersion[L"11.0"]);
}

// ---- Add-in code that shows a window ----

// Calls made in an instance of their own on a thread of its own, so that this thread can find
// the windows they show and close them. The instance is told to Quit after the last call. A
// call still waiting when the object goes (a failed test) is ended with its stand-in.
class CallsOnAThread {
public:
    using Call = std::function<HRESULT(IDispatch* app)>;
    explicit CallsOnAThread(std::vector<Call> calls) : calls_(std::move(calls)), thread_([this] { Run(); }) {}
    ~CallsOnAThread() {
        if (!Returned(calls_.size(), 30000)) qv::test::EndLeftoverStandIns();
        thread_.join();
    }
    // True once `n` calls have returned, waiting up to `ms`.
    bool Returned(size_t n, DWORD ms) const {
        for (DWORD start = GetTickCount(); done_ < n; Sleep(20))
            if (GetTickCount() - start >= ms) return false;
        return true;
    }
    // Each returned call's result, in order.
    std::vector<HRESULT> Results() {
        std::lock_guard<std::mutex> lock(mutex_);
        return results_;
    }

private:
    void Run() {
        ComInit com;
        ComPtr<IDispatch> app;
        HRESULT created = CoCreateInstance(kStandIn, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.put_void());
        for (auto& call : calls_) {
            HRESULT hr = SUCCEEDED(created) ? call(app.get()) : created;
            std::lock_guard<std::mutex> lock(mutex_);
            results_.push_back(hr);
            ++done_;
        }
        if (app) Invoke(app.get(), L"Quit", DISPATCH_METHOD);
    }

    std::vector<Call> calls_;
    std::mutex mutex_;
    std::vector<HRESULT> results_;
    std::atomic<size_t> done_{0};
    std::thread thread_;
};

// app.collection.method(arg), then .property = value when a property is named.
HRESULT CallThen(IDispatch* app, const std::wstring& collection, const std::wstring& method, const std::wstring& arg,
                 const std::wstring& property = L"", bool value = false) {
    Result c = Invoke(app, collection, kGet);
    if (FAILED(c.hr)) return c.hr;
    std::vector<Variant> a;
    a.push_back(Variant::FromString(arg));
    Result item = Invoke(c.value.get()->pdispVal, method, kGet, Positional(std::move(a)));
    if (FAILED(item.hr) || property.empty()) return item.hr;
    std::vector<Arg> v;
    v.push_back({L"", Variant::FromBool(value)});
    return Invoke(item.value.get()->pdispVal, property, DISPATCH_PROPERTYPUT, std::move(v)).hr;
}

// A visible dialog titled "Microsoft Excel" in a stand-in's process; null when none shows
// within `ms`.
HWND WaitForExcelBox(DWORD ms) {
    struct Search {
        std::vector<DWORD> standIns;
        HWND found = nullptr;
    };
    for (DWORD start = GetTickCount();; Sleep(50)) {
        Search s{qv::test::StandInProcessIds()};
        EnumWindows(
            [](HWND w, LPARAM lp) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(lp);
                wchar_t cls[32] = {}, title[64] = {};
                GetClassNameW(w, cls, 32);
                GetWindowTextW(w, title, 64);
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (lstrcmpW(cls, L"#32770") || lstrcmpW(title, L"Microsoft Excel") || !IsWindowVisible(w) ||
                    std::find(s.standIns.begin(), s.standIns.end(), pid) == s.standIns.end())
                    return TRUE;
                s.found = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&s));
        if (s.found || GetTickCount() - start >= ms) return s.found;
    }
}

// Opening a ModalFiles file, or switching its add-in on or off, shows a message box owned by the
// XLMAIN window inside the call, which returns only once the box is closed: here by OK, then
// by WM_CLOSE.
TEST_F(StandInCom, ModalFileShowsAWindowInsideTheCall) {
    ASSERT_TRUE(CanShowWindows()) << "the modal window needs a display";
    SetString(kSettings, L"ModalFiles", L"other.xla; MODAL.xla");
    const std::wstring modal = tools_ + L"\\modal.xla";
    WriteXla(modal, L"Modal");
    SetString(kOptions, L"OPEN", L"/R \"" + modal + L"\"");
    CallsOnAThread calls({
        [&](IDispatch* app) { return CallThen(app, L"Workbooks", L"Open", modal); },
        [&](IDispatch* app) { return CallThen(app, L"AddIns", L"Item", L"Modal", L"Installed", false); },
    });
    HWND box = WaitForExcelBox(15000);
    ASSERT_TRUE(box) << "no window while Workbooks.Open runs the add-in's code";
    EXPECT_FALSE(calls.Returned(1, 500)) << "Workbooks.Open returned while its window is up";
    HWND owner = GetWindow(box, GW_OWNER);
    wchar_t cls[32] = {};
    GetClassNameW(owner, cls, 32);
    EXPECT_STREQ(cls, L"XLMAIN");
    DWORD boxPid = 0, ownerPid = 0;
    GetWindowThreadProcessId(box, &boxPid);
    GetWindowThreadProcessId(owner, &ownerPid);
    EXPECT_EQ(ownerPid, boxPid);
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_TRUE(ok);
    PostMessageW(ok, BM_CLICK, 0, 0);
    EXPECT_TRUE(calls.Returned(1, 10000)) << "OK did not end the call";

    box = WaitForExcelBox(15000);
    ASSERT_TRUE(box) << "no window while switching the add-in off";
    EXPECT_FALSE(calls.Returned(2, 500));
    PostMessageW(box, WM_CLOSE, 0, 0);
    EXPECT_TRUE(calls.Returned(2, 10000)) << "WM_CLOSE did not end the call";
    EXPECT_EQ(calls.Results(), (std::vector<HRESULT>{S_OK, S_OK}));
}

TEST_F(StandInCom, ModalMillisecondsClosesTheWindowByItself) {
    ASSERT_TRUE(CanShowWindows()) << "the modal window needs a display";
    SetString(kSettings, L"ModalFiles", L"modal.xla");
    SetString(kSettings, L"ModalMilliseconds", L"2000");
    const std::wstring modal = tools_ + L"\\modal.xla";
    WriteXla(modal, L"Modal");
    SetString(kManager, modal, L"");
    CallsOnAThread calls({
        [&](IDispatch* app) { return CallThen(app, L"AddIns", L"Item", L"Modal", L"Installed", true); },
    });
    HWND box = WaitForExcelBox(15000);
    ASSERT_TRUE(box) << "no window while switching the add-in on";
    EXPECT_FALSE(calls.Returned(1, 0));
    EXPECT_TRUE(calls.Returned(1, 15000)) << "the window did not close by itself";
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(calls.Results(), std::vector<HRESULT>{S_OK});
}

}  // namespace
