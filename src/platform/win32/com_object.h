#pragma once
// IUnknown for a heap object that implements one COM interface: its references are counted
// and it deletes itself when the last one goes. It starts with one reference, its creator's.
#include <windows.h>
#include <objbase.h>

namespace qv::win32 {

template <class Interface, const IID& InterfaceId>
class RefCounted : public Interface {
public:
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == InterfaceId) {
            *out = static_cast<Interface*>(this);
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

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    LONG refs_ = 1;
};

}  // namespace qv::win32
