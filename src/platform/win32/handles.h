#pragma once
// One move-only RAII type per OS handle kind. Copies are deleted.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace qv::win32 {

// A generic owner of a handle-like value with a close function.
template <class T, class Close, T Invalid>
class Unique {
public:
    Unique() = default;
    explicit Unique(T v) : v_(v) {}
    ~Unique() { reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : v_(std::exchange(o.v_, Invalid)) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) { reset(); v_ = std::exchange(o.v_, Invalid); }
        return *this;
    }
    T get() const { return v_; }
    T* put() { reset(); return &v_; }
    T release() { return std::exchange(v_, Invalid); }
    void reset(T v = Invalid) {
        if (v_ != Invalid) Close{}(v_);
        v_ = v;
    }
    explicit operator bool() const { return v_ != Invalid; }

private:
    T v_ = Invalid;
};

struct CloseHkey { void operator()(HKEY k) const { RegCloseKey(k); } };
struct CloseHandle_ { void operator()(HANDLE h) const { CloseHandle(h); } };
struct FreeGlobal { void operator()(HGLOBAL h) const { GlobalFree(h); } };
struct DeleteFont { void operator()(HFONT f) const { DeleteObject(f); } };

using UniqueHkey = Unique<HKEY, CloseHkey, nullptr>;
using UniqueHandle = Unique<HANDLE, CloseHandle_, nullptr>;
// FindFirstFile's handle; INVALID_HANDLE_VALUE is not a constant expression, so store it as nullptr.
class UniqueFind {
public:
    explicit UniqueFind(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~UniqueFind() { if (h_) FindClose(h_); }
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
private:
    HANDLE h_;
};
using UniqueHglobal = Unique<HGLOBAL, FreeGlobal, nullptr>;
using UniqueFont = Unique<HFONT, DeleteFont, nullptr>;

// A locked HGLOBAL, unlocked on destruction.
class GlobalLocked {
public:
    explicit GlobalLocked(HGLOBAL h) : h_(h), p_(GlobalLock(h)) {}
    ~GlobalLocked() { if (p_) GlobalUnlock(h_); }
    GlobalLocked(const GlobalLocked&) = delete;
    GlobalLocked& operator=(const GlobalLocked&) = delete;
    void* get() const { return p_; }
private:
    HGLOBAL h_;
    void* p_;
};

// The open clipboard, closed on destruction.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : ok_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() { if (ok_) CloseClipboard(); }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return ok_; }
private:
    bool ok_;
};

// CoInitialize for the lifetime of the object (apartment-threaded, as a UI thread needs).
class ComInit {
public:
    ComInit() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComInit() { if (SUCCEEDED(hr_)) CoUninitialize(); }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    HRESULT result() const { return hr_; }
private:
    HRESULT hr_;
};

// A COM interface pointer.
template <class I>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(I* p, bool addRef = false) : p_(p) { if (p_ && addRef) p_->AddRef(); }
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& o) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) { reset(); p_ = std::exchange(o.p_, nullptr); }
        return *this;
    }
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    I** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    I* detach() { return std::exchange(p_, nullptr); }
    void reset() { if (p_) { p_->Release(); p_ = nullptr; } }
    explicit operator bool() const { return p_ != nullptr; }
    template <class J>
    ComPtr<J> query() const {
        ComPtr<J> r;
        if (p_) p_->QueryInterface(__uuidof(J), r.put_void());
        return r;
    }
private:
    I* p_ = nullptr;
};

// A VARIANT that owns its contents.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& o) noexcept { v_ = o.v_; VariantInit(&o.v_); }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) { VariantClear(&v_); v_ = o.v_; VariantInit(&o.v_); }
        return *this;
    }
    static Variant FromString(const std::wstring& s) {
        Variant r; r.v_.vt = VT_BSTR; r.v_.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); return r;
    }
    static Variant FromBool(bool b) { Variant r; r.v_.vt = VT_BOOL; r.v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; return r; }
    static Variant FromLong(long n) { Variant r; r.v_.vt = VT_I4; r.v_.lVal = n; return r; }
    // An omitted optional argument.
    static Variant Missing() { Variant r; r.v_.vt = VT_ERROR; r.v_.scode = DISP_E_PARAMNOTFOUND; return r; }
    // Takes ownership of a dispatch pointer (no AddRef).
    static Variant FromDispatch(IDispatch* d) { Variant r; r.v_.vt = VT_DISPATCH; r.v_.pdispVal = d; return r; }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    VARTYPE vt() const { return v_.vt; }
    VARIANT detach() { VARIANT r = v_; VariantInit(&v_); return r; }
private:
    VARIANT v_;
};

std::wstring SystemMessage(DWORD code);  // FormatMessageW text, trimmed

}  // namespace qv::win32
