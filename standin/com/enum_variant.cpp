#include "com/enum_variant.h"

#include <memory>

#include "com/gate.h"
#include "platform/win32/com_object.h"
#include "com/server.h"

namespace qv::standin::com {
namespace {

using qv::win32::Variant;
using Items = std::shared_ptr<const std::vector<Variant>>;

class EnumVariant : public qv::win32::RefCounted<IEnumVARIANT, IID_IEnumVARIANT> {
public:
    EnumVariant(Items items, size_t pos) : items_(std::move(items)), pos_(pos) { ObjectCreated(); }
    ~EnumVariant() override { ObjectDestroyed(); }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        const HRESULT refused = Refusal();
        HRESULT hr = refused != S_OK ? refused : Fetch(count, out, fetched);
        if (refused != S_OK && fetched) *fetched = 0;
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
