// Excel's AddIns collection and AddIn object, over the stand-in's add-in manager.
#include "com/addin_code.h"
#include "com/dispatch.h"
#include "com/enum_variant.h"
#include "com/gate.h"
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
                    bool on = ToBool(v);
                    AddinManager& m = host_.instance.addins;
                    // Only a real switch runs the add-in's code: AddinUninstall before it is
                    // unloaded, AddinInstall once it is loaded.
                    const bool switching = m.At(id_).installed != on;
                    const std::wstring path = m.At(id_).fullPath;
                    if (switching && !on) RunAddinCode(host_, path, L"AddinUninstall");
                    m.SetInstalled(id_, on);
                    if (switching && on) RunAddinCode(host_, path, L"AddinInstall");
                    if (on) MakeBusy();  // the add-in's open code runs
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
                    return NewEnumerator(std::move(items));
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
        const VARIANT& index = a.Required(0, L"Index");
        AddinManager& m = host_.instance.addins;
        if (auto pos = ToPosition(index)) {
            auto ids = m.Ordered();
            return Object(NewAddIn(host_, ids[ItemAt(*pos, ids.size())]));
        }
        return Object(NewAddIn(host_, m.FindByTitle(ToText(index))));
    }

    Host& host_;
};

}  // namespace

IDispatch* NewAddIns(Host& host) { return new AddInsObject(host); }
IDispatch* NewAddIn(Host& host, int id) { return new AddInObject(host, id); }

}  // namespace qv::standin::com
