// Excel's Application object: version, add-in folders, Visible, Workbooks, AddIns, the file
// dialogs and Quit.
#include "com/dialogs.h"
#include "com/dispatch.h"
#include "com/objects.h"
#include "model/error.h"

namespace qv::standin::com {
namespace {

// "Object doesn't support this property or method" (run-time error 438).
constexpr long kErrNoSuchMember = static_cast<long>(0x800A01B6L);

// Excel's answer for a cancelled dialog.
Variant False() { return Bool(false); }

// A SAFEARRAY of VARIANT strings indexed from 1, as Excel returns a multiple selection.
Variant PathArray(const std::vector<std::wstring>& paths) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(paths.size()), 1};
    SAFEARRAY* sa = SafeArrayCreate(VT_VARIANT, 1, &bound);
    if (!sa) throw std::bad_alloc();
    for (LONG i = 0; i < static_cast<LONG>(paths.size()); ++i) {
        Variant v = Text(paths[static_cast<size_t>(i)]);
        LONG index = i + 1;
        SafeArrayPutElement(sa, &index, v.get());
    }
    Variant r;
    r.get()->vt = VT_ARRAY | VT_VARIANT;
    r.get()->parray = sa;
    return r;
}

class Application : public DispatchObject {
public:
    explicit Application(Host& host) : host_(host) {
        Instance& in = host.instance;
        Define({L"Name", {}, [](const Args&) { return Text(L"Microsoft Excel"); }});
        Define({L"Version", {}, [&in](const Args&) { return Text(in.settings().version); }});
        Define({L"UserLibraryPath", {}, [&in](const Args&) {
                    // Excel 97 has no such property; a late-bound call fails as for any unknown member.
                    if (!HasUserLibrary(in.settings()))
                        throw Error(kErrNoSuchMember, L"Object doesn't support this property or method");
                    return Text(in.settings().userLibraryPath);
                }});
        Define({L"LibraryPath", {}, [&in](const Args&) { return Text(in.settings().libraryPath); }});
        Define({L"Visible", {}, [&host](const Args&) { return Bool(host.visible); },
                [&host](const Args&, const VARIANT& v) {
                    host.visible = ToBool(v);
                    host.Changed();
                }});
        Define({L"Workbooks", {L"Index"}, [&host](const Args& a) { return Collection(NewWorkbooks(host), a); }});
        Define({L"AddIns", {L"Index"}, [&host](const Args& a) { return Collection(NewAddIns(host), a); }});
        Define({L"GetOpenFilename",
                {L"FileFilter", L"FilterIndex", L"Title", L"ButtonText", L"MultiSelect"},
                [this](const Args& a) { return GetOpenFilename(a); }});
        Define({L"GetSaveAsFilename",
                {L"InitialFilename", L"FileFilter", L"FilterIndex", L"Title", L"ButtonText"},
                [this](const Args& a) { return GetSaveAsFilename(a); }});
        Define({L"DisplayAlerts", {}, [&host](const Args&) { return Bool(host.displayAlerts); },
                [&host](const Args&, const VARIANT& v) { host.displayAlerts = ToBool(v); }});
        Define({L"Caption", {}, [&host](const Args&) { return Text(host.mainWindow.Caption()); },
                [&host](const Args&, const VARIANT& v) { host.mainWindow.SetCaption(ToText(v)); }});
        // Quit only asks Excel to close: it goes, and writes its list, once no client holds it.
        Define({L"Quit", {}, [&host](const Args&) {
                    host.quitAsked = true;
                    host.visible = false;
                    host.Changed();
                    if (host.quitting) host.quitting();
                    return Variant();
                }});
        // Excel 2002 (10.0) brought Hwnd; earlier versions have no such member at all. Defined
        // last, so the other members keep their DISPIDs in every version.
        if (HasHwnd(in.settings()))
            Define({L"Hwnd", {}, [&host](const Args&) {
                        return Variant::FromLong(static_cast<long>(reinterpret_cast<LONG_PTR>(host.mainWindow.handle())));
                    }});
    }

protected:
    const wchar_t* ClassName() const override { return L"Application"; }

private:
    // Workbooks(i) and AddIns("title") reach the collection's default member.
    static Variant Collection(IDispatch* collection, const Args& a) {
        Variant c = Object(collection);
        const VARIANT* index = a.Get(0);
        if (!index) return c;
        VARIANT arg = *index;
        DISPPARAMS params{&arg, nullptr, 1, 0};
        Variant r;
        EXCEPINFO e{};
        HRESULT hr = collection->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                                        r.get(), &e, nullptr);
        if (hr == DISP_E_EXCEPTION) {
            std::wstring d = e.bstrDescription ? e.bstrDescription : L"";
            long code = e.scode;
            SysFreeString(e.bstrDescription);
            SysFreeString(e.bstrSource);
            SysFreeString(e.bstrHelpFile);
            throw Error(code, d);
        }
        if (FAILED(hr)) throw Error(hr, L"Invalid index.");
        return r;
    }

    HWND Owner() const { return host_.owner ? host_.owner() : nullptr; }

    Variant GetOpenFilename(const Args& a) {
        bool multi = a.OptBool(4).value_or(false);
        auto chosen = AskOpenFilenames(Owner(), a.OptString(0).value_or(L""), a.OptString(2).value_or(L""), multi);
        if (!chosen || chosen->empty()) return False();
        if (multi) return PathArray(*chosen);
        return Text(chosen->front());
    }

    Variant GetSaveAsFilename(const Args& a) {
        auto chosen = AskSaveAsFilename(Owner(), a.OptString(0).value_or(L""), a.OptString(1).value_or(L""),
                                        a.OptString(3).value_or(L""));
        if (!chosen || chosen->empty()) return False();
        return Text(*chosen);
    }

    Host& host_;
};

}  // namespace

IDispatch* NewApplication(Host& host) { return new Application(host); }

}  // namespace qv::standin::com
