#include "com/enum_variant.h"

#include <memory>

#include "com/gate.h"
#include "com/server.h"

namespace qv::standin::com {
namespace {

using qv::win32::Variant;
using Items = std::shared_ptr<const std::vector<Variant>>;

class EnumVariant : public IEnumVARIANT {
public:
    EnumVariant(Items items, size_t pos) : items_(std::move(items)), pos_(pos) { ObjectCreated(); }
    virtual ~EnumVariant() { ObjectDestroyed(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IEnumVARIANT) {
            *out = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        HRESULT hr = IsBusy() ? kBusy : Fetch(count, out, fetched);
        if (hr == kBusy && fetched) *fetched = 0;
        LogCall(L"IEnumVARIANT", L"Next", 0, 0, std::to_wstring(count), hr);
        return hr;
    }
    HRESULT Fetch(ULONG count, VARIANT* out, ULONG* fetched) {
        if (!out) return E_POINTER;
        ULONG n = 0;
        for (; n < count && pos_ < items_->size(); ++n, ++pos_) {
            VariantInit(&out[n]);
            HRESULT hr = VariantCopy(&out[n], const_cast<VARIANT*>((*items_)[pos_].get()));
            if (FAILED(hr)) {
                for (ULONG i = 0; i < n; ++i) VariantClear(&out[i]);
                if (fetched) *fetched = 0;
                return hr;
            }
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        pos_ += count;
        if (pos_ > items_->size()) {
            pos_ = items_->size();
            return S_FALSE;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) EnumVariant(items_, pos_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    LONG refs_ = 1;
    Items items_;
    size_t pos_;
};

}  // namespace

Variant NewEnumerator(std::vector<Variant> items) {
    Variant r;
    r.get()->vt = VT_UNKNOWN;
    r.get()->punkVal = new EnumVariant(std::make_shared<const std::vector<Variant>>(std::move(items)), 0);
    return r;
}

}  // namespace qv::standin::com
