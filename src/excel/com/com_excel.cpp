#include "excel/com/com_excel.h"

#include "excel/com/dispatch.h"
#include "excel/com/foreground.h"

namespace qv::excel::com {

namespace {

class ComAddIn : public AddIn {
public:
    explicit ComAddIn(Dispatch d) : d_(std::move(d)) {}
    std::wstring Name() override { return Text(L"Name"); }
    std::wstring FullName() override { return Text(L"FullName"); }
    std::wstring Title() override { return Text(L"Title"); }
    std::wstring Path() override { return Text(L"Path"); }
    bool Installed() override { return ToBool(d_.get(L"Installed"), L"Installed"); }
    void SetInstalled(bool on) override { d_.put(L"Installed", on); }

private:
    std::wstring Text(const wchar_t* member) { return ToString(d_.get(member), member); }
    Dispatch d_;
};

class ComWorkbook : public Workbook {
public:
    explicit ComWorkbook(Dispatch d) : d_(std::move(d)) {}
    std::wstring Name() override { return ToString(d_.get(L"Name"), L"Name"); }
    void Close(bool saveChanges) override { d_.call(L"Close", saveChanges); }

private:
    Dispatch d_;
};

template <class T, class Impl>
class ComCursor : public Cursor<T> {
public:
    explicit ComCursor(const Dispatch& collection) : e_(collection) {}
    std::unique_ptr<T> Next() override {
        auto item = e_.Next();
        if (!item) return nullptr;
        return std::make_unique<Impl>(std::move(*item));
    }

private:
    Enumerator e_;
};

// GetOpenFilename's answer: an array of paths indexed from 1, or False when cancelled.
std::optional<std::vector<std::wstring>> PathsOf(const Variant& v, const std::wstring& member) {
    const VARIANT* raw = v.get();
    if (raw->vt == VT_BOOL && raw->boolVal == VARIANT_FALSE) return std::nullopt;
    if (!(raw->vt & VT_ARRAY) || !raw->parray) return std::vector<std::wstring>{ToString(v, member)};
    SAFEARRAY* sa = raw->parray;
    VARTYPE element = raw->vt & VT_TYPEMASK;
    if (SafeArrayGetDim(sa) != 1 || (element != VT_VARIANT && element != VT_BSTR))
        throw ExcelError(member, static_cast<long>(DISP_E_TYPEMISMATCH), win32::SystemMessage(DISP_E_TYPEMISMATCH));
    LONG lo = 0, hi = -1;
    SafeArrayGetLBound(sa, 1, &lo);
    SafeArrayGetUBound(sa, 1, &hi);
    std::vector<std::wstring> paths;
    for (LONG i = lo; i <= hi; ++i) {
        Variant item;
        HRESULT hr;
        if (element == VT_VARIANT) {
            hr = SafeArrayGetElement(sa, &i, item.put());
        } else {
            BSTR b = nullptr;
            hr = SafeArrayGetElement(sa, &i, &b);
            if (SUCCEEDED(hr)) { item.put()->vt = VT_BSTR; item.get()->bstrVal = b; }
        }
        if (FAILED(hr)) throw ExcelError(member, static_cast<long>(hr), win32::SystemMessage(static_cast<DWORD>(hr)));
        paths.push_back(ToString(item, member));
    }
    return paths;
}

class ComApplication : public Application {
public:
    explicit ComApplication(Dispatch app) : app_(std::move(app)) {}

    bool Visible() override { return ToBool(app_.get(L"Visible"), L"Visible"); }
    void SetVisible(bool visible) override { app_.put(L"Visible", visible); }
    long WorkbookCount() override { return ToLong(app_.object(L"Workbooks").get(L"Count"), L"Count"); }
    std::unique_ptr<Cursor<Workbook>> Workbooks() override {
        return std::make_unique<ComCursor<Workbook, ComWorkbook>>(app_.object(L"Workbooks"));
    }
    std::wstring Version() override { return ToString(app_.get(L"Version"), L"Version"); }
    std::wstring UserLibraryPath() override { return ToString(app_.get(L"UserLibraryPath"), L"UserLibraryPath"); }
    std::wstring LibraryPath() override { return ToString(app_.get(L"LibraryPath"), L"LibraryPath"); }
    std::unique_ptr<Cursor<AddIn>> AddIns() override {
        return std::make_unique<ComCursor<AddIn, ComAddIn>>(app_.object(L"AddIns"));
    }
    std::unique_ptr<AddIn> AddInByTitle(const std::wstring& title) override {
        return std::make_unique<ComAddIn>(Dispatch::From(app_.object(L"AddIns").callDefault(L"AddIns", title), L"AddIns"));
    }
    void OpenWorkbook(const std::wstring& path) override { app_.object(L"Workbooks").call(L"Open", path); }
    std::unique_ptr<Workbook> AddWorkbook() override {
        return std::make_unique<ComWorkbook>(Dispatch::From(app_.object(L"Workbooks").call(L"Add"), L"Add"));
    }
    std::unique_ptr<AddIn> AddAddIn(const std::wstring& filename, bool copyFile) override {
        Variant added = app_.object(L"AddIns").call(L"Add", Named{L"Filename", filename}, Named{L"CopyFile", copyFile});
        return std::make_unique<ComAddIn>(Dispatch::From(std::move(added), L"Add"));
    }
    std::optional<std::vector<std::wstring>> GetOpenFilenames(const std::wstring& filter) override {
        AllowToFront(app_);
        Variant v = app_.call(L"GetOpenFilename", filter, Missing{}, Missing{}, Missing{}, true);
        return PathsOf(v, L"GetOpenFilename");
    }
    std::optional<std::wstring> GetSaveAsFilename(const std::wstring& initialName) override {
        AllowToFront(app_);
        Variant v = app_.call(L"GetSaveAsFilename", initialName);
        if (v.vt() == VT_BOOL && v.get()->boolVal == VARIANT_FALSE) return std::nullopt;
        return ToString(v, L"GetSaveAsFilename");
    }
    void Quit() override { app_.call(L"Quit"); }

private:
    Dispatch app_;
};

class ComLauncher : public Launcher {
public:
    std::unique_ptr<Application> Attach() override {
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"Excel.application", &clsid))) return nullptr;
        ComPtr<IUnknown> unk;
        if (FAILED(GetActiveObject(clsid, nullptr, unk.put())) || !unk) return nullptr;
        ComPtr<IDispatch> app;
        if (FAILED(unk->QueryInterface(IID_IDispatch, app.put_void())) || !app) return nullptr;
        return std::make_unique<ComApplication>(Dispatch(std::move(app)));
    }

    std::unique_ptr<Application> Create() override {
        static const std::wstring kProgId = L"Excel.Application";
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(kProgId.c_str(), &clsid);
        if (FAILED(hr)) throw ExcelError(kProgId, static_cast<long>(hr), win32::SystemMessage(static_cast<DWORD>(hr)));
        ComPtr<IDispatch> app;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.put_void());
        if (FAILED(hr)) throw ExcelError(kProgId, static_cast<long>(hr), win32::SystemMessage(static_cast<DWORD>(hr)));
        return std::make_unique<ComApplication>(Dispatch(std::move(app)));
    }
};

}  // namespace

std::unique_ptr<Launcher> MakeLauncher() { return std::make_unique<ComLauncher>(); }

}  // namespace qv::excel::com
