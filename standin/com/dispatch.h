#pragma once
// A small generic IDispatch: a table of members, each found by name without regard to letter
// case, with its parameter names (for named arguments) and handlers for get/call and put.
// Handlers report failures by throwing qv::standin::Error; Invoke turns every exception into
// DISP_E_EXCEPTION with the description in EXCEPINFO, so none crosses the COM boundary.
#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/com_object.h"
#include "platform/win32/handles.h"

namespace qv::standin::com {

using qv::win32::Variant;

// The arguments of one call: positional ones in natural order, named ones by parameter position.
class Args {
public:
    Args(std::vector<const VARIANT*> byPosition) : args_(std::move(byPosition)) {}
    // Null when the argument was not given or was passed as omitted.
    const VARIANT* Get(size_t index) const;
    bool Has(size_t index) const { return Get(index) != nullptr; }
    // These throw qv::standin::Error when the argument is missing (required) or of the wrong type.
    const VARIANT& Required(size_t index, const wchar_t* name) const;
    std::wstring String(size_t index, const wchar_t* name) const;
    std::optional<std::wstring> OptString(size_t index) const;
    std::optional<bool> OptBool(size_t index) const;

private:
    std::vector<const VARIANT*> args_;
};

std::wstring ToText(const VARIANT& v);
bool ToBool(const VARIANT& v);
// A collection index: a 1-based position when the variant is a number, nullopt for text.
std::optional<long> ToPosition(const VARIANT& v);
// The 0-based place of item `position` (counted from 1) among `count`; "Subscript out of range" past either end.
size_t ItemAt(long position, size_t count);

struct Member {
    using Get = std::function<Variant(const Args&)>;
    using Put = std::function<void(const Args&, const VARIANT&)>;
    Member(std::wstring n, std::vector<std::wstring> p, Get g, Put pt = {}, DISPID i = 0)
        : name(std::move(n)), params(std::move(p)), get(std::move(g)), put(std::move(pt)), id(i) {}
    std::wstring name;
    std::vector<std::wstring> params;
    Get get;       // property get or method call
    Put put;       // property put; empty when read-only
    DISPID id = 0;  // 0: assigned from the table
};

class DispatchObject : public qv::win32::RefCounted<IDispatch, IID_IDispatch> {
public:
    DispatchObject();
    ~DispatchObject() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    // Both refuse while the instance is busy and for a language it does not have; see com/gate.h.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;

protected:
    void Define(Member m);
    // The member called through DISPID_VALUE (AddIns("title") is AddIns.Item("title")).
    void SetDefault(const std::wstring& name) { default_ = name; }
    // Class name for error texts, as Excel names its classes ("AddIns", "Workbook").
    virtual const wchar_t* ClassName() const = 0;

private:
    const Member* ById(DISPID id) const;
    HRESULT LookUp(LPOLESTR* names, UINT count, DISPID* ids) const;
    HRESULT Serve(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                  UINT* argErr);
    HRESULT Call(const Member& m, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr);

    std::vector<Member> members_;
    std::wstring default_;
};

// A new reference to `d` as a VT_DISPATCH variant (takes over the caller's reference).
inline Variant Object(IDispatch* d) { return Variant::FromDispatch(d); }
inline Variant Text(const std::wstring& s) { return Variant::FromString(s); }
inline Variant Bool(bool b) { return Variant::FromBool(b); }

}  // namespace qv::standin::com
