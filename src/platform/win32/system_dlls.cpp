#include "platform/win32/system_dlls.h"

#include <string>

namespace qv::win32 {

namespace {

constexpr NTSTATUS kDllNotFound = static_cast<NTSTATUS>(0xC0000135L);

}  // namespace

FARPROC SystemDllProc(const wchar_t* dll, const char* name) {
    // By its full System32 path: a bare name would also match a module of that name that is
    // already loaded from elsewhere. The flag keeps the DLL's own imports in System32 as well.
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, n) + L"\\" + dll;
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, name) : nullptr;
}

namespace system_dll {

// Each function is looked up on its first call (a function-local static, so once and safely
// across threads); the DLL then stays loaded for good.

DWORD GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
    static auto* fn = SystemDllFunction<decltype(::GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
    if (!fn) return SetLastError(ERROR_PROC_NOT_FOUND), 0;
    return fn(file, handle);
}

BOOL GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
    static auto* fn = SystemDllFunction<decltype(::GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
    if (!fn) return SetLastError(ERROR_PROC_NOT_FOUND), FALSE;
    return fn(file, handle, size, data);
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) {
    static auto* fn = SystemDllFunction<decltype(::VerQueryValueW)>(L"version.dll", "VerQueryValueW");
    if (!fn) return SetLastError(ERROR_PROC_NOT_FOUND), FALSE;
    return fn(block, subBlock, buffer, length);
}

BOOL WTSQuerySessionInformationW(HANDLE server, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer, DWORD* bytes) {
    static auto* fn = SystemDllFunction<decltype(::WTSQuerySessionInformationW)>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
    if (!fn) return SetLastError(ERROR_PROC_NOT_FOUND), FALSE;
    return fn(server, session, what, buffer, bytes);
}

void WTSFreeMemory(PVOID memory) {
    static auto* fn = SystemDllFunction<decltype(::WTSFreeMemory)>(L"wtsapi32.dll", "WTSFreeMemory");
    if (fn) fn(memory);
}

NTSTATUS BCryptOpenAlgorithmProvider(BCRYPT_ALG_HANDLE* alg, LPCWSTR id, LPCWSTR implementation, ULONG flags) {
    static auto* fn = SystemDllFunction<decltype(::BCryptOpenAlgorithmProvider)>(L"bcrypt.dll", "BCryptOpenAlgorithmProvider");
    return fn ? fn(alg, id, implementation, flags) : kDllNotFound;
}

NTSTATUS BCryptCloseAlgorithmProvider(BCRYPT_ALG_HANDLE alg, ULONG flags) {
    static auto* fn = SystemDllFunction<decltype(::BCryptCloseAlgorithmProvider)>(L"bcrypt.dll", "BCryptCloseAlgorithmProvider");
    return fn ? fn(alg, flags) : kDllNotFound;
}

NTSTATUS BCryptCreateHash(BCRYPT_ALG_HANDLE alg, BCRYPT_HASH_HANDLE* hash, PUCHAR object, ULONG objectSize,
                          PUCHAR secret, ULONG secretSize, ULONG flags) {
    static auto* fn = SystemDllFunction<decltype(::BCryptCreateHash)>(L"bcrypt.dll", "BCryptCreateHash");
    return fn ? fn(alg, hash, object, objectSize, secret, secretSize, flags) : kDllNotFound;
}

NTSTATUS BCryptHashData(BCRYPT_HASH_HANDLE hash, PUCHAR input, ULONG size, ULONG flags) {
    static auto* fn = SystemDllFunction<decltype(::BCryptHashData)>(L"bcrypt.dll", "BCryptHashData");
    return fn ? fn(hash, input, size, flags) : kDllNotFound;
}

NTSTATUS BCryptFinishHash(BCRYPT_HASH_HANDLE hash, PUCHAR output, ULONG size, ULONG flags) {
    static auto* fn = SystemDllFunction<decltype(::BCryptFinishHash)>(L"bcrypt.dll", "BCryptFinishHash");
    return fn ? fn(hash, output, size, flags) : kDllNotFound;
}

NTSTATUS BCryptDestroyHash(BCRYPT_HASH_HANDLE hash) {
    static auto* fn = SystemDllFunction<decltype(::BCryptDestroyHash)>(L"bcrypt.dll", "BCryptDestroyHash");
    return fn ? fn(hash) : kDllNotFound;
}

}  // namespace system_dll

}  // namespace qv::win32
