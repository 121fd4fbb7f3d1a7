// Excel's AddIns collection and AddIn object, over the stand-in's add-in manager.
#include "com/dispatch.h"
#include "com/enum_variant.h"
#include "com/objects.h"
#include "model/error.h"

namespace qv::standin::com {
namespace {

class AddInObject : public DispatchObject {
public:
    AddInObject(Host& host, int id) : host_(host), id_(id) {
        AddinManager& m = host.instance.addins;
        Define({L"Name", {}, [&m, id](const Args&) { return Text(m.At(id).Name()); }});
        Define({L"FullName", {}, [&m, id](const Args&) { return Text(m.At(id).fullPath); }});
        Define({L"Title", {}, [&m, id](const Args&) { return Text(m.At(id).title); }});
        Define({L"Path", {}, [&m, id](const Args&) { return Text(m.At(id).Path()); }});
        Define({L"Installed", {}, [&m, id](const Args&) { return Bool(m.At(id).installed); },
                [this](const Args&, const VARIANT& v) {
                    host_.instance.addins.SetInstalled(id_, ToBool(v));
                    host_.Changed();
                }});
    }

protected:
    const wchar_t* ClassName() const override { return L"AddIn"; }

private:
    Host& host_;
    int id_;
};

class AddInsObject : public DispatchObject {
public:
    explicit AddInsObject(Host& host) : host_(host) {
        AddinManager& m = host.instance.addins;
        Define({L"Count", {}, [&m](const Args&) { return Variant::FromLong(static_cast<long>(m.Count())); }});
        Define({L"Item", {L"Index"}, [this](const Args& a) { return Item(a); }});
        Define({L"_NewEnum", {}, [this](const Args&) {
                    std::vector<Variant> items;
                    for (int id : host_.instance.addins.Ordered()) items.push_back(Object(NewAddIn(host_, id)));
                    Variant r;
                    r.get()->vt = VT_UNKNOWN;
                    r.get()->punkVal = NewEnumerator(std::move(items));
                    return r;
                }, {}, DISPID_NEWENUM});
        Define({L"Add", {L"Filename", L"CopyFile"}, [this](const Args& a) {
                    int id = host_.instance.addins.Add(a.String(0, L"Filename"), a.OptBool(1));
                    return Object(NewAddIn(host_, id));
                }});
        SetDefault(L"Item");
    }

protected:
    const wchar_t* ClassName() const override { return L"AddIns"; }

private:
    // AddIns("title") or AddIns(n), n counted from 1 in enumeration order.
    Variant Item(const Args& a) {
        const VARIANT* index = a.Get(0);
        if (!index) throw Error(static_cast<long>(DISP_E_PARAMNOTFOUND), L"Argument not optional: Index");
        AddinManager& m = host_.instance.addins;
        if (index->vt != VT_BSTR) {
            Variant n;
            if (FAILED(VariantChangeType(n.get(), const_cast<VARIANT*>(index), 0, VT_I4)))
                throw Error(static_cast<long>(DISP_E_TYPEMISMATCH), L"Type mismatch");
            auto ids = m.Ordered();
            long pos = n.get()->lVal;
            if (pos < 1 || pos > static_cast<long>(ids.size())) throw Error(kErrBadIndex, L"Subscript out of range");
            return Object(NewAddIn(host_, ids[static_cast<size_t>(pos - 1)]));
        }
        return Object(NewAddIn(host_, m.FindByTitle(ToText(*index))));
    }

    Host& host_;
};

}  // namespace

IDispatch* NewAddIns(Host& host) { return new AddInsObject(host); }
IDispatch* NewAddIn(Host& host, int id) { return new AddInObject(host, id); }

}  // namespace qv::standin::com
