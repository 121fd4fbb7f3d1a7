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
#include "reg_write.h"
#include "wine_env.h"

namespace {

using qv::excel::com::Named;
using qv::win32::ComInit;
using qv::win32::ComPtr;
using qv::win32::UniqueHandle;
using qv::win32::Variant;
using qv::test::CountStandIns;
using qv::test::StandInExe;

// Waits up to 15 s for exactly `n` stand-in processes.
bool StandInsBecome(int n) { return qv::test::WaitForStandInCount(n, 15000); }

const CLSID kStandIn = {0x5E0B7C1A, 0x3F2D, 0x4C8B, {0x9A, 0x61, 0x7D, 0x2E, 0x4F, 0x8B, 0x1C, 0x35}};
const wchar_t* kSettings = L"Software\\ExcelStandIn";
const wchar_t* kAnswers = L"Software\\ExcelStandIn\\Answers";
const wchar_t* kOffice = L"Software\\Microsoft\\Office\\11.0";
const std::wstring kOptions = L"Software\\Microsoft\\Office\\11.0\\Excel\\Options";
const std::wstring kManager = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";
const HRESULT kBusy = static_cast<HRESULT>(0x8001010AL);

using Values = std::map<std::wstring, std::wstring>;
void SetString(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    ASSERT_TRUE(qv::test::SetRegString(key, name, data));
}
Values ValuesOf(const std::wstring& key) { return qv::test::RegStrings(key); }

// An OLE compound document with a summary property set, as an add-in file carries one.
void WriteXla(const std::wstring& path, const std::wstring& title) {
    ASSERT_TRUE(qv::win32::WriteXlaFixture(path, title, L"")) << qv::test::Narrow(path);
}

// ---- automation client ----

struct Result {
    HRESULT hr = E_FAIL;
    Variant value;
    std::wstring description;
};

qv::excel::com::Dispatch Wrap(IDispatch* raw) {
    return qv::excel::com::Dispatch(ComPtr<IDispatch>(raw, true), qv::excel::com::ExcelCalls::Unwatched());
}

// Calls go through the Excel boundary's own invoker, which also calls again while Excel is
// busy, as VBA does for its caller; a failure comes back as its HRESULT (for an exception the
// server raised, the exception's code) and the server's description.
template <class F>
Result Try(F call) {
    Result r;
    try {
        r.value = call();
        r.hr = S_OK;
    } catch (const qv::excel::ExcelError& e) {
        r.hr = static_cast<HRESULT>(e.HResult());
        r.description = e.Description();
    }
    return r;
}

// d.member(args...): arguments as Dispatch::call takes them (values, Named, Missing).
template <class... A>
Result Call(IDispatch* d, const std::wstring& member, A&&... args) {
    return Try([&] { return Wrap(d).call(member, std::forward<A>(args)...); });
}

Result Put(IDispatch* d, const std::wstring& member, qv::win32::Arg value) {
    return Try([&] { Wrap(d).put(member, std::move(value)); return Variant(); });
}

void Set(IDispatch* d, const std::wstring& member, bool value) {
    Result r = Put(d, member, value);
    EXPECT_EQ(r.hr, S_OK) << testing::PrintToString(r.description);
}

// A failure the member itself raised, as an exception: the call reached it, unlike an unknown
// name, a wrong argument list or a broken connection.
bool RaisedByExcel(const Result& r) {
    const HRESULT notReached[] = {DISP_E_UNKNOWNNAME, DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT,
                                  DISP_E_TYPEMISMATCH, DISP_E_PARAMNOTFOUND, DISP_E_NONAMEDARGS, E_POINTER};
    if (!FAILED(r.hr) || HRESULT_FACILITY(r.hr) == FACILITY_RPC) return false;
    return std::find(std::begin(notReached), std::end(notReached), r.hr) == std::end(notReached);
}

// A property's value, which must come back as `vt`.
Variant Get(IDispatch* d, const std::wstring& member, VARTYPE vt) {
    Result r = Call(d, member);
    EXPECT_EQ(r.hr, S_OK) << "get " << testing::PrintToString(member);
    EXPECT_EQ(r.value.vt(), vt) << testing::PrintToString(member);
    return r.value.vt() == vt ? std::move(r.value) : Variant();
}
std::wstring Str(IDispatch* d, const std::wstring& member) {
    Variant v = Get(d, member, VT_BSTR);
    return v.vt() == VT_BSTR ? std::wstring(v.get()->bstrVal) : L"";
}
bool Flag(IDispatch* d, const std::wstring& member) { return Get(d, member, VT_BOOL).get()->boolVal == VARIANT_TRUE; }
long Number(IDispatch* d, const std::wstring& member) { return Get(d, member, VT_I4).get()->lVal; }

ComPtr<IDispatch> Obj(Result r) {
    EXPECT_EQ(r.hr, S_OK) << testing::PrintToString(r.description);
    EXPECT_EQ(r.value.vt(), VT_DISPATCH);
    if (r.hr != S_OK || r.value.vt() != VT_DISPATCH) return {};
    return ComPtr<IDispatch>(r.value.get()->pdispVal, true);
}

template <class... A>
ComPtr<IDispatch> Obj(IDispatch* d, const std::wstring& member, A&&... args) {
    return Obj(Call(d, member, std::forward<A>(args)...));
}

// The Name of every item of a collection, through _NewEnum / IEnumVARIANT with the boundary's
// enumerator.
std::vector<std::wstring> Names(IDispatch* collection) {
    std::vector<std::wstring> names;
    try {
        for (auto item : qv::excel::com::each(Wrap(collection))) names.push_back(Str(item.raw(), L"Name"));
    } catch (const qv::excel::ExcelError& e) {
        ADD_FAILURE() << "enumeration failed: " << std::hex << e.HResult();
    }
    return names;
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
    EXPECT_EQ(Call(app.get(), L"Quit").hr, S_OK);
    app.reset();
}

// Without a display (Wine with no X server) no window can exist at all.
bool CanShowWindows() {
    HWND w = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (w) DestroyWindow(w);
    return w != nullptr;
}

class StandInCom : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // Register this build's stand-in in the prefix, so the tests reach the server they test.
        ASSERT_EQ(qv::test::Run(StandInExe(), L"/regserver", 30000).exit, std::optional<DWORD>(0));
    }

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        ASSERT_TRUE(StandInsBecome(0)) << "a stand-in is left over";
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
        RegDeleteTreeW(HKEY_CURRENT_USER, kOffice);
        for (auto f : {&user_, &lib_, &tools_}) CreateDirectoryW(f->c_str(), nullptr);
        SetString(kSettings, L"Version", L"11.0");
        SetString(kSettings, L"UserLibraryPath", user_ + L"\\");
        SetString(kSettings, L"LibraryPath", lib_);
    }

    void TearDown() override {
        EXPECT_TRUE(StandInsBecome(0)) << "a stand-in outlived its clients";
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
        RegDeleteTreeW(HKEY_CURRENT_USER, kOffice);
    }

    // `/R "path"`, as an OPEN value names a file outside the default folders.
    static std::wstring OpenValue(const std::wstring& path) { return L"/R \"" + path + L"\""; }

    ComInit com_;
    qv::test::ScratchFolder dir_;
    const std::wstring root_ = dir_.Path(), user_ = dir_.File(L"user"), lib_ = dir_.File(L"lib"),
                       tools_ = dir_.File(L"tools");
};

TEST_F(StandInCom, ApplicationMembersAndOneProcessPerInstance) {
    SetString(kSettings, L"Version", L"8.0");
    auto a = CreateExcel();
    auto b = CreateExcel();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(CountStandIns(), 2);
    EXPECT_EQ(Str(a.get(), L"version"), L"8.0") << "names are matched whatever their case";
    EXPECT_TRUE(RaisedByExcel(Call(a.get(), L"UserLibraryPath"))) << "Excel 97 has no user add-in folder";
    EXPECT_EQ(Str(a.get(), L"LibraryPath"), lib_);
    EXPECT_FALSE(Flag(a.get(), L"Visible"));
    auto books = Obj(a.get(), L"Workbooks");
    ASSERT_TRUE(books);
    EXPECT_EQ(Number(books.get(), L"Count"), 0);
    EXPECT_TRUE(Names(books.get()).empty());
    EXPECT_EQ(Call(a.get(), L"NoSuchMember").hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(Put(a.get(), L"Version", L"12.0").hr, DISP_E_MEMBERNOTFOUND);
    books.reset();
    Quit(a);
    EXPECT_TRUE(StandInsBecome(1)) << "quit and released ends only that instance";
    EXPECT_EQ(Str(b.get(), L"Version"), L"8.0");
    b.reset();  // released without Quit
    EXPECT_TRUE(StandInsBecome(0));
}

TEST_F(StandInCom, AddinListEnumerationItemAddAndInstalledWrittenAtQuit) {
    WriteXla(tools_ + L"\\a.xla", L"Alpha tools");
    WriteXla(tools_ + L"\\b.xla", L"Beta tools");
    WriteXla(user_ + L"\\u.xla", L"");
    WriteXla(tools_ + L"\\new.xla", L"New one");
    SetString(kOptions, L"OPEN", OpenValue(tools_ + L"\\a.xla"));
    SetString(kManager, tools_ + L"\\b.xla", L"");
    SetString(kManager, root_ + L"\\gone\\m.xla", L"");
    auto app = CreateExcel();
    ASSERT_TRUE(app);
    auto addins = Obj(app.get(), L"AddIns");
    ASSERT_TRUE(addins);
    EXPECT_EQ(Number(addins.get(), L"Count"), 4);
    std::vector<std::wstring> seen;
    for (auto item : qv::excel::com::each(Wrap(addins.get()))) {
        IDispatch* ai = item.raw();
        seen.push_back(Str(ai, L"Name") + L"|" + Str(ai, L"FullName") + L"|" + Str(ai, L"Title") + L"|" +
                       Str(ai, L"Path") + L"|" + (Flag(ai, L"Installed") ? L"True" : L"False"));
    }
    EXPECT_EQ(seen, (std::vector<std::wstring>{
                        L"a.xla|" + tools_ + L"\\a.xla|Alpha tools|" + tools_ + L"|True",
                        L"b.xla|" + tools_ + L"\\b.xla|Beta tools|" + tools_ + L"|False",
                        L"m.xla|" + root_ + L"\\gone\\m.xla|m|" + root_ + L"\\gone|False",
                        L"u.xla|" + user_ + L"\\u.xla|u|" + user_ + L"|False",
                    }));

    // AddIns("title") on the application, the collection's default member, Item(position).
    auto beta = Obj(app.get(), L"addins", L"Beta tools");
    ASSERT_TRUE(beta);
    EXPECT_EQ(Str(beta.get(), L"FullName"), tools_ + L"\\b.xla");
    auto byDefault = Obj(Try([&] { return Wrap(addins.get()).callDefault(L"AddIns", L"alpha TOOLS"); }));
    ASSERT_TRUE(byDefault);
    EXPECT_EQ(Str(byDefault.get(), L"Name"), L"a.xla");
    auto byNumber = Obj(addins.get(), L"Item", 2);
    ASSERT_TRUE(byNumber);
    EXPECT_EQ(Str(byNumber.get(), L"Name"), L"b.xla");
    // Positions count from 1 up to Count, in Workbooks as in AddIns.
    auto books = Obj(app.get(), L"Workbooks");
    for (IDispatch* collection : {addins.get(), books.get()})
        for (int pos : {0, 99}) EXPECT_EQ(Call(collection, L"Item", pos).hr, static_cast<HRESULT>(0x8002000BL)) << pos;
    Result missing = Call(app.get(), L"AddIns", L"No such title");
    EXPECT_TRUE(RaisedByExcel(missing)) << std::hex << missing.hr;
    EXPECT_NE(missing.description.find(L"No such title"), std::wstring::npos);

    // Switching on a missing file fails with Excel's kind of error.
    auto gone = Obj(app.get(), L"AddIns", L"m");
    ASSERT_TRUE(gone);
    Result refused = Put(gone.get(), L"Installed", true);
    EXPECT_TRUE(RaisedByExcel(refused)) << std::hex << refused.hr;
    EXPECT_FALSE(refused.description.empty());

    // Switch Beta on, and Alpha off after opening its file as a workbook.
    Set(beta.get(), L"Installed", true);
    auto alpha = Obj(app.get(), L"AddIns", L"Alpha tools");
    EXPECT_EQ(Call(books.get(), L"Open", Str(alpha.get(), L"FullName")).hr, S_OK);
    EXPECT_EQ(Number(books.get(), L"Count"), 1);
    Set(alpha.get(), L"Installed", false);
    EXPECT_EQ(Number(books.get(), L"Count"), 0) << "switching off closes the add-in's workbook";
    EXPECT_TRUE(Flag(beta.get(), L"Installed"));

    // AddIns.Add (with a workbook open) takes its argument names in any letter case and order;
    // a misspelt name is no argument of it.
    EXPECT_EQ(Call(addins.get(), L"Add", Named{L"FileNam", tools_ + L"\\new.xla"}).hr, DISP_E_UNKNOWNNAME);
    auto book = Obj(books.get(), L"Add");
    auto added = Obj(addins.get(), L"add", Named{L"Copyfile", true}, Named{L"filename", tools_ + L"\\new.xla"});
    ASSERT_TRUE(added);
    EXPECT_EQ(Str(added.get(), L"Title"), L"New one");
    EXPECT_EQ(ValuesOf(kOptions).at(L"OPEN"), OpenValue(tools_ + L"\\a.xla")) << "nothing is written before Quit";
    Quit(app);
    for (auto* p : {&alpha, &beta, &gone, &addins, &books, &byDefault, &byNumber, &book, &added}) p->reset();
    ASSERT_TRUE(StandInsBecome(0)) << "Excel writes its list when its process ends";
    EXPECT_EQ(ValuesOf(kOptions), (Values{{L"OPEN", OpenValue(tools_ + L"\\b.xla")}}));
    EXPECT_EQ(ValuesOf(kManager), (Values{{tools_ + L"\\a.xla", L""}, {root_ + L"\\gone\\m.xla", L""}, {tools_ + L"\\new.xla", L""}}));
}

// Each instance writes its whole list on its way out, as it read it at its start plus its own
// changes, over whatever the registry holds then: of two whose lives overlap, the one that ends
// later wins, and an invisible one released without Quit ends too, after its shutdown time.
TEST_F(StandInCom, EachInstanceWritesItsWholeListAtItsEndAndTheLaterEndWins) {
    SetString(kSettings, L"ExitDelayMilliseconds", L"1500");
    WriteXla(tools_ + L"\\x.xla", L"Ex");
    WriteXla(tools_ + L"\\y.xla", L"Why");
    SetString(kManager, tools_ + L"\\x.xla", L"");
    SetString(kManager, tools_ + L"\\y.xla", L"");
    auto first = CreateExcel();
    auto second = CreateExcel();
    ASSERT_TRUE(first && second);
    Set(Obj(first.get(), L"AddIns", L"Ex").get(), L"Installed", true);
    Set(Obj(second.get(), L"AddIns", L"Why").get(), L"Installed", true);
    SetString(kManager, tools_ + L"\\later.xla", L"");  // written by another program while they run
    Quit(first);
    ASSERT_TRUE(StandInsBecome(1));
    EXPECT_EQ(ValuesOf(kOptions), (Values{{L"OPEN", OpenValue(tools_ + L"\\x.xla")}}));
    EXPECT_EQ(ValuesOf(kManager), (Values{{tools_ + L"\\y.xla", L""}})) << "the entry written after its start is gone";
    second.reset();  // without Quit
    EXPECT_EQ(CountStandIns(), 1) << "it takes its shutdown time";
    EXPECT_EQ(ValuesOf(kOptions).at(L"OPEN"), OpenValue(tools_ + L"\\x.xla")) << "nothing written while it shuts down";
    ASSERT_TRUE(StandInsBecome(0));
    EXPECT_EQ(ValuesOf(kOptions), (Values{{L"OPEN", OpenValue(tools_ + L"\\y.xla")}})) << "Ex, switched on by the first, is lost";
    EXPECT_EQ(ValuesOf(kManager), (Values{{tools_ + L"\\x.xla", L""}}));
}

// GetOpenFilename answers with the scripted paths as Excel does: an array of variants indexed
// from 1. (The paths themselves, Cancel and what is recorded of each call: ExcelBoundaryTest.)
TEST_F(StandInCom, ScriptedFileDialogsAnswerInExcelsForm) {
    ASSERT_TRUE(qv::test::SetRegMulti(kAnswers, L"GetOpenFilename", {L"C:\\x\\a.xla", L"C:\\y\\b c.xla"}));
    auto app = CreateExcel();
    ASSERT_TRUE(app);
    Result r = Call(app.get(), L"GetOpenFilename", L"*.xla", qv::win32::Missing{}, qv::win32::Missing{},
                    qv::win32::Missing{}, true);
    ASSERT_EQ(r.value.vt(), VT_ARRAY | VT_VARIANT);
    LONG lo = 0, hi = -1;
    SafeArrayGetLBound(r.value.get()->parray, 1, &lo);
    SafeArrayGetUBound(r.value.get()->parray, 1, &hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 2);
    Variant first;
    SafeArrayGetElement(r.value.get()->parray, &lo, first.put());
    ASSERT_EQ(first.vt(), VT_BSTR);
    EXPECT_EQ(std::wstring(first.get()->bstrVal), L"C:\\x\\a.xla");
    SetString(kAnswers, L"GetSaveAsFilename", L"");
    EXPECT_EQ(Call(app.get(), L"GetSaveAsFilename", Named{L"InitialFilename", L"b.xla"}).value.vt(), VT_BOOL);
    EXPECT_EQ(ValuesOf(kAnswers).at(L"LastSaveAsInitial"), L"b.xla") << "as a named argument";
    Quit(app);
}

// /list prints UTF-8; the library folder is the corpus of real add-ins written by others.
TEST_F(StandInCom, ListPrintsAddinsAndValuesAsUtf8) {
    const char* corpusEnv = getenv("QV_CORPUS");
    const std::wstring corpus = qv::test::WindowsPath(corpusEnv ? corpusEnv : "/work/shared/corpus/xla");
    if (GetFileAttributesW(corpus.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no corpus";
    SetString(kSettings, L"LibraryPath", corpus);
    SetString(kOptions, L"OPEN", L"\"libreoffice__sales-ja.xla\"");
    SetString(kManager, tools_ + L"\\gone.xla", L"");

    auto ran = qv::test::Run(StandInExe(), L"/list", 15000);
    ASSERT_TRUE(ran.exit.has_value());
    std::wstring text = qv::test::Widen(ran.out);
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find(L'\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    auto has = [&](const std::wstring& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has(L"libreoffice__sales-ja.xla|" + corpus + L"\\libreoffice__sales-ja.xla|売上集計アドイン|" + corpus + L"|True"))
        << ran.out;
    EXPECT_TRUE(has(L"libreoffice__ms-author.xla|" + corpus + L"\\libreoffice__ms-author.xla|Analysis Helpers|" + corpus + L"|False"));
    EXPECT_TRUE(has(L"gone.xla|" + tools_ + L"\\gone.xla|gone|" + tools_ + L"|False"));
    auto addinLines = std::count_if(lines.begin(), lines.end(), [](const std::wstring& l) { return std::count(l.begin(), l.end(), L'|') == 4; });
    EXPECT_EQ(addinLines, 13) << "twelve corpus files and one Add-in Manager entry";
    auto options = std::find(lines.begin(), lines.end(), L"[Options]");
    ASSERT_LE(options + 4, lines.end());
    EXPECT_EQ(std::vector<std::wstring>(options + 1, options + 4),
              (std::vector<std::wstring>{L"OPEN=\"libreoffice__sales-ja.xla\"", L"[Add-in Manager]", tools_ + L"\\gone.xla="}));
}

// Like Excel, it refuses calls while busy and names only in its languages; neutral is accepted.
TEST_F(StandInCom, RefusesWhileBusyAndOutsideItsLanguages) {
    SetString(kSettings, L"BusyMilliseconds", L"2000");
    SetString(kSettings, L"Languages", L"1033,1031");
    auto app = CreateExcel();
    ASSERT_TRUE(app);
    LPOLESTR version = const_cast<LPOLESTR>(L"Version");
    DISPID id = 0;
    EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &version, 1, 1033, &id), kBusy) << "busy at start";
    ASSERT_EQ(qv::excel::com::CallPatiently([&] { return app->GetIDsOfNames(IID_NULL, &version, 1, 1033, &id); }), S_OK)
        << "no longer busy";
    const HRESULT unknownLcid = static_cast<HRESULT>(0x80028018L);
    struct Case {
        LCID lcid;
        HRESULT expected;
    } cases[] = {{1033, S_OK}, {1031, S_OK}, {0, S_OK}, {1041, unknownLcid}, {LOCALE_USER_DEFAULT, unknownLcid}};
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
    ASSERT_EQ(Call(books.get(), L"Open", tools_ + L"\\a.xla").hr, S_OK);
    LPOLESTR countName = const_cast<LPOLESTR>(L"Count");
    EXPECT_EQ(books->GetIDsOfNames(IID_NULL, &countName, 1, 1033, &id), kBusy);
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
        Result hwnd = Call(app.get(), L"Hwnd");
        EXPECT_EQ(hwnd.hr, hasHwnd ? S_OK : DISP_E_UNKNOWNNAME);
        ASSERT_EQ(Put(app.get(), L"Caption", L"Unique caption 42").hr, S_OK);
        EXPECT_EQ(Str(app.get(), L"Caption"), L"Unique caption 42");
        HWND window = FindWindowW(L"XLMAIN", L"Unique caption 42");
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(IsWindowVisible(window));
        if (hasHwnd) { EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwnd.value.get()->lVal)), window); }
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
        ASSERT_TRUE(process);

        Set(Obj(Obj(app.get(), L"AddIns").get(), L"Item", L"Alpha").get(), L"Installed", true);
        EXPECT_FALSE(DeleteFileW((tools_ + L"\\a.xla").c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "a loaded add-in's file is held";
        EXPECT_EQ(Call(app.get(), L"Quit").hr, S_OK);
        EXPECT_EQ(WaitForSingleObject(process.get(), 500), static_cast<DWORD>(WAIT_TIMEOUT)) << "a held instance lives on";
        app.reset();
        EXPECT_EQ(ValuesOf(excel + L"\\Options").count(L"OPEN"), 0u) << "nothing written while it shuts down";
        ASSERT_EQ(WaitForSingleObject(process.get(), 15000), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(ValuesOf(excel + L"\\Options")[L"OPEN"], OpenValue(tools_ + L"\\a.xla"));
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
    using Step = std::function<HRESULT(IDispatch* app)>;
    explicit CallsOnAThread(std::vector<Step> calls) : calls_(std::move(calls)), thread_([this] { Run(); }) {}
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
        if (app) Call(app.get(), L"Quit");
    }

    std::vector<Step> calls_;
    std::mutex mutex_;
    std::vector<HRESULT> results_;
    std::atomic<size_t> done_{0};
    std::thread thread_;
};

// app.collection.method(arg), then .property = value when a property is named.
HRESULT CallThen(IDispatch* app, const std::wstring& collection, const std::wstring& method, const std::wstring& arg,
                 const std::wstring& property = L"", bool value = false) {
    return Try([&] {
        auto c = Wrap(app).object(collection);
        auto item = c.call(method, arg);
        if (!property.empty()) c.child(std::move(item), method).put(property, value);
        return Variant();
    }).hr;
}

// A visible dialog titled "Microsoft Excel" in a stand-in's process; null when none shows
// within `ms`.
HWND WaitForExcelBox(DWORD ms) {
    for (DWORD start = GetTickCount();; Sleep(50)) {
        const auto boxes = qv::test::StandInMessageWindows();
        if (!boxes.empty()) return boxes[0];
        if (GetTickCount() - start >= ms) return nullptr;
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

// With ModalMilliseconds, the window closes by itself after that time.
TEST_F(StandInCom, ModalMillisecondsClosesTheWindowByItself) {
    ASSERT_TRUE(CanShowWindows()) << "the modal window needs a display";
    SetString(kSettings, L"ModalFiles", L"modal.xla");
    SetString(kSettings, L"ModalMilliseconds", L"2000");
    WriteXla(tools_ + L"\\modal.xla", L"Modal");
    SetString(kManager, tools_ + L"\\modal.xla", L"");
    CallsOnAThread calls({[&](IDispatch* app) { return CallThen(app, L"AddIns", L"Item", L"Modal", L"Installed", true); }});
    HWND box = WaitForExcelBox(15000);
    ASSERT_TRUE(box) << "no window while switching the add-in on";
    EXPECT_FALSE(calls.Returned(1, 0));
    EXPECT_TRUE(calls.Returned(1, 15000)) << "the window did not close by itself";
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(calls.Results(), std::vector<HRESULT>{S_OK});
}

}  // namespace

namespace {

// What GetActiveObject gives for Excel's class now: the instance's process, or 0 for none.
DWORD ActiveExcelProcess() {
    ComPtr<IUnknown> unk;
    if (FAILED(GetActiveObject(kStandIn, nullptr, unk.put())) || !unk) return 0;
    ComPtr<IDispatch> app;
    if (FAILED(unk->QueryInterface(IID_IDispatch, app.put_void())) || !app) return 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(Number(app.get(), L"Hwnd"))), &pid);
    return pid;
}

// Waits up to `ms` for `done`; its last answer.
bool Within(DWORD ms, const std::function<bool()>& done) {
    for (DWORD start = GetTickCount();; Sleep(50)) {
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
    }
}

// The first visible top-level window of a process; null when it has none.
HWND VisibleWindowOf(DWORD pid) {
    struct Search {
        DWORD pid;
        HWND found = nullptr;
    } search{pid};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner != s->pid || !IsWindowVisible(h)) return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The XLMAIN windows of a process.
int MainWindowsOf(DWORD pid) {
    struct Count {
        DWORD pid;
        int n = 0;
    } count{pid};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Count*>(p);
            DWORD owner = 0;
            wchar_t cls[16] = {};
            GetWindowThreadProcessId(h, &owner);
            if (owner == c->pid && GetClassNameW(h, cls, 16) && !lstrcmpW(cls, L"XLMAIN")) ++c->n;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

}  // namespace

// Every automation instance is in the running object table from its creation, as Excel started for
// automation is, and leaves it when its shutdown begins: after Quit, or after the last release. Its
// XLMAIN window stays until the process ends. The entry is weak: released without Quit, the instance
// still ends and writes its list.
TEST_F(StandInCom, AnInstanceIsInTheRunningObjectTableUntilItsShutdownBegins) {
    SetString(kSettings, L"ExitDelayMilliseconds", L"3000");
    WriteXla(tools_ + L"\\a.xla", L"Alpha");
    SetString(kManager, tools_ + L"\\a.xla", L"");
    for (bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "quit" : "released without Quit");
        auto app = CreateExcel();
        ASSERT_TRUE(app);
        ASSERT_TRUE(StandInsBecome(1));
        const DWORD pid = qv::test::StandInProcessIds()[0];
        EXPECT_EQ(ActiveExcelProcess(), pid) << "not in the table at once";
        if (!quit) {
            auto addin = Obj(Obj(app.get(), L"AddIns").get(), L"Item", L"Alpha");
            ASSERT_TRUE(addin);
            Set(addin.get(), L"Installed", true);
        }
        if (quit) Quit(app);
        else app.reset();
        EXPECT_TRUE(Within(2000, [] { return ActiveExcelProcess() == 0; })) << "still in the table while it ends";
        EXPECT_EQ(CountStandIns(), 1) << "its shutdown time";
        EXPECT_EQ(MainWindowsOf(pid), 1) << "XLMAIN goes only with the process";
        EXPECT_TRUE(StandInsBecome(0)) << "the table's entry kept it alive";
        if (!quit) {
            EXPECT_EQ(ValuesOf(kOptions)[L"OPEN"], OpenValue(tools_ + L"\\a.xla")) << "no list written";
        }
    }
}

// StartupNotice: a box owned by XLMAIN once the instance is created, before it answers any call.
// Calls are refused as busy until it closes: here by OK, then by itself after
// StartupNoticeMilliseconds.
TEST_F(StandInCom, AStartupNoticeRefusesCallsUntilItCloses) {
    ASSERT_TRUE(CanShowWindows()) << "the notice needs a display";
    SetString(kSettings, L"BusyMilliseconds", L"0");
    SetString(kSettings, L"StartupNotice", L"Welcome to Excel");
    LPOLESTR version = const_cast<LPOLESTR>(L"Version");
    for (DWORD closeAfter : {0ul, 2000ul}) {
        SCOPED_TRACE(closeAfter);
        SetString(kSettings, L"StartupNoticeMilliseconds", std::to_wstring(closeAfter));
        auto app = CreateExcel();
        ASSERT_TRUE(app);
        DISPID id = 0;
        EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &version, 1, 1033, &id), kBusy) << "answered before the notice";
        HWND box = WaitForExcelBox(15000);
        ASSERT_TRUE(box) << "no notice";
        wchar_t cls[32] = {};
        GetClassNameW(GetWindow(box, GW_OWNER), cls, 32);
        EXPECT_STREQ(cls, L"XLMAIN");
        Sleep(500);
        EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &version, 1, 1033, &id), kBusy) << "answered behind the notice";
        if (!closeAfter) PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(Within(15000, [&] { return !IsWindow(box); })) << "the notice stayed";
        EXPECT_TRUE(Within(2000, [&] { return app->GetIDsOfNames(IID_NULL, &version, 1, 1033, &id) == S_OK; }));
        Quit(app);
        EXPECT_TRUE(StandInsBecome(0));
    }
}

// /busy: the user's Excel while a cell is being edited rejects every call, until its window closes.
TEST_F(StandInCom, ABusyUsersExcelRejectsEveryCall) {
    qv::test::StandInProcess busy(L"/running /busy Book1.xls");
    ASSERT_TRUE(busy.Started());
    ASSERT_TRUE(qv::test::WaitForRunningExcel());
    ComPtr<IUnknown> unk;
    ASSERT_HRESULT_SUCCEEDED(GetActiveObject(kStandIn, nullptr, unk.put()));
    ComPtr<IDispatch> app;
    ASSERT_HRESULT_SUCCEEDED(unk->QueryInterface(IID_IDispatch, app.put_void()));
    const HRESULT rejected = static_cast<HRESULT>(0x80010001L);
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Visible"), const_cast<LPOLESTR>(L"Quit")};
    for (int round = 0; round < 2; ++round, Sleep(1000)) {
        for (LPOLESTR name : names) {
            DISPID id = 0;
            EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &name, 1, 1033, &id), rejected) << round;
        }
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        Variant r;
        EXPECT_EQ(app->Invoke(1, IID_NULL, 1033, DISPATCH_PROPERTYGET, &none, r.put(), nullptr, nullptr), rejected);
    }
    app.reset();
    unk.reset();
    HWND window = nullptr;
    EXPECT_TRUE(Within(5000, [&] {
        window = VisibleWindowOf(busy.Id());
        return window != nullptr;
    }));
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(busy.Ended(15000)) << "closing its window did not end it";
}

// A server that has registered its class and is ended before any client asked it for an
// instance: the next CoCreateInstance still gets a working Excel. Wine's class table keeps a
// single-use registration until it is revoked or handed out, even once its process is gone, so
// clean-up must let such a server revoke its registration instead of killing it outright.
TEST_F(StandInCom, AnUnusedServerEndedByCleanUpLeavesNoDeadRegistration) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        qv::test::Process server(StandInExe(), L"-Embedding");
        ASSERT_TRUE(server.Started());
        ASSERT_EQ(WaitForInputIdle(server.Handle(), 15000), 0u) << "not registered and waiting for its client";
        EXPECT_EQ(qv::test::EndLeftoverStandIns(), 1);
        EXPECT_TRUE(server.Ended(0));
        auto app = CreateExcel();
        ASSERT_TRUE(app) << "CoCreateInstance was handed the ended server's registration";
        EXPECT_EQ(Str(app.get(), L"Version"), L"11.0");
        Quit(app);
        EXPECT_TRUE(StandInsBecome(0));
    }
}
