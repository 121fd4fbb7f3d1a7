// Excel's Workbooks collection and Workbook object.
#include "com/addin_code.h"
#include "com/dispatch.h"
#include "com/enum_variant.h"
#include "com/gate.h"
#include "com/objects.h"
#include "model/error.h"
#include "platform/paths.h"

namespace qv::standin::com {
namespace {

class WorkbookObject : public DispatchObject {
public:
    WorkbookObject(Host& host, int id) : host_(host), id_(id) {
        Define({L"Name", {}, [this](const Args&) { return Text(Get().name); }});
        Define({L"FullName", {}, [this](const Args&) {
                    const Workbook& w = Get();
                    return Text(w.fullPath.empty() ? w.name : w.fullPath);
                }});
        // Nothing is ever saved: SaveChanges is accepted and ignored.
        Define({L"Close", {L"SaveChanges", L"Filename", L"RouteWorkbook"}, [this](const Args&) {
                    host_.instance.workbooks.Close(id_);
                    host_.Changed();
                    return Variant();
                }});
    }

protected:
    const wchar_t* ClassName() const override { return L"Workbook"; }

private:
    const Workbook& Get() const {
        const Workbook* w = host_.instance.workbooks.Find(id_);
        if (!w) throw Error(kErrExcel, L"Object has been deleted.");
        return *w;
    }

    Host& host_;
    int id_;
};

class WorkbooksObject : public DispatchObject {
public:
    explicit WorkbooksObject(Host& host) : host_(host) {
        Workbooks& books = host.instance.workbooks;
        Define({L"Count", {}, [&books](const Args&) { return Variant::FromLong(static_cast<long>(books.All().size())); }});
        Define({L"Item", {L"Index"}, [this](const Args& a) { return Item(a); }});
        Define({L"_NewEnum", {}, [this](const Args&) {
                    std::vector<Variant> items;
                    for (auto& w : host_.instance.workbooks.All()) items.push_back(Object(NewWorkbook(host_, w.id)));
                    return NewEnumerator(std::move(items));
                }, {}, DISPID_NEWENUM});
        Define({L"Add", {L"Template"}, [this](const Args&) {
                    int id = host_.instance.workbooks.Add();
                    MakeBusy();
                    host_.Changed();
                    return Object(NewWorkbook(host_, id));
                }});
        Define({L"Open",
                {L"Filename", L"UpdateLinks", L"ReadOnly", L"Format", L"Password", L"WriteResPassword",
                 L"IgnoreReadOnlyRecommended", L"Origin", L"Delimiter", L"Editable", L"Notify", L"Converter",
                 L"AddToMru", L"Local", L"CorruptLoad"},
                [this](const Args& a) {
                    Workbooks& books = host_.instance.workbooks;
                    const size_t before = books.All().size();
                    int id = books.Open(a.String(0, L"Filename"));
                    // A file that was already open runs no open code again.
                    if (books.All().size() > before) RunAddinCode(host_, books.Find(id)->fullPath, L"Workbook_Open");
                    MakeBusy();
                    host_.Changed();
                    return Object(NewWorkbook(host_, id));
                }});
        Define({L"Close", {}, [this](const Args&) {
                    auto all = host_.instance.workbooks.All();
                    for (auto& w : all) host_.instance.workbooks.Close(w.id);
                    host_.Changed();
                    return Variant();
                }});
        SetDefault(L"Item");
    }

protected:
    const wchar_t* ClassName() const override { return L"Workbooks"; }

private:
    Variant Item(const Args& a) {
        const VARIANT& index = a.Required(0, L"Index");
        auto& all = host_.instance.workbooks.All();
        if (auto pos = ToPosition(index)) return Object(NewWorkbook(host_, all[ItemAt(*pos, all.size())].id));
        std::wstring name = ToText(index);
        for (auto& w : all)
            if (paths::EqualNoCase(w.name, name)) return Object(NewWorkbook(host_, w.id));
        throw Error(kErrBadIndex, L"Subscript out of range");
    }

    Host& host_;
};

}  // namespace

IDispatch* NewWorkbooks(Host& host) { return new WorkbooksObject(host); }
IDispatch* NewWorkbook(Host& host, int id) { return new WorkbookObject(host, id); }

}  // namespace qv::standin::com
