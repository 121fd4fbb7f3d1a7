#pragma once
// version.dll, wtsapi32.dll and bcrypt.dll are not on Windows' KnownDLLs list, so an import of
// theirs is looked for beside the exe first: in the user's Downloads folder, where anything may
// lie. The programs therefore do not import them. This is the only way into them: each function
// is looked up on its first call in the DLL loaded from System32 alone.
#include <windows.h>
#include <bcrypt.h>
#include <wtsapi32.h>

#include <cstring>

namespace qv::win32 {

// A function of a System32 DLL, or nullptr when the DLL or the name is not there.
FARPROC SystemDllProc(const wchar_t* dll, const char* name);

template <class Fn>
Fn* SystemDllFunction(const wchar_t* dll, const char* name) {
    FARPROC proc = SystemDllProc(dll, name);
    if (!proc) return nullptr;
    Fn* fn = nullptr;
    static_assert(sizeof fn == sizeof proc);
    std::memcpy(&fn, &proc, sizeof fn);
    return fn;
}

namespace system_dll {

// version.dll
DWORD GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle);
BOOL GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data);
BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length);

// wtsapi32.dll
BOOL WTSQuerySessionInformationW(HANDLE server, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer, DWORD* bytes);
void WTSFreeMemory(PVOID memory);

// bcrypt.dll; a missing DLL or function gives STATUS_DLL_NOT_FOUND.
NTSTATUS BCryptOpenAlgorithmProvider(BCRYPT_ALG_HANDLE* alg, LPCWSTR id, LPCWSTR implementation, ULONG flags);
NTSTATUS BCryptCloseAlgorithmProvider(BCRYPT_ALG_HANDLE alg, ULONG flags);
NTSTATUS BCryptCreateHash(BCRYPT_ALG_HANDLE alg, BCRYPT_HASH_HANDLE* hash, PUCHAR object, ULONG objectSize,
                          PUCHAR secret, ULONG secretSize, ULONG flags);
NTSTATUS BCryptHashData(BCRYPT_HASH_HANDLE hash, PUCHAR input, ULONG size, ULONG flags);
NTSTATUS BCryptFinishHash(BCRYPT_HASH_HANDLE hash, PUCHAR output, ULONG size, ULONG flags);
NTSTATUS BCryptDestroyHash(BCRYPT_HASH_HANDLE hash);

}  // namespace system_dll

}  // namespace qv::win32
