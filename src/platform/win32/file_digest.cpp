#include "platform/win32/file_digest.h"

#include <windows.h>
#include <bcrypt.h>

#include <functional>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/long_path.h"
#include "platform/win32/system_dlls.h"

namespace qv::win32 {

namespace {

constexpr DWORD kChunk = 64 * 1024;

UniqueHandle OpenShared(const std::wstring& path) {
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// Reads up to a chunk; false on a read failure. An empty `buf` after success is the end.
bool ReadChunk(HANDLE h, std::vector<char>& buf) {
    buf.resize(kChunk);
    DWORD got = 0;
    if (!ReadFile(h, buf.data(), kChunk, &got, nullptr)) return false;
    buf.resize(got);
    return true;
}

// Fills `buf` with a whole chunk unless the file ends first, so that two files read alike
// give chunks that can be compared; an empty `buf` is the end.
bool ReadFull(HANDLE h, std::vector<char>& buf) {
    std::vector<char> part;
    buf.clear();
    while (buf.size() < kChunk) {
        part.resize(kChunk - buf.size());
        DWORD got = 0;
        if (!ReadFile(h, part.data(), static_cast<DWORD>(part.size()), &got, nullptr)) return false;
        if (got == 0) break;
        buf.insert(buf.end(), part.begin(), part.begin() + got);
    }
    return true;
}

struct CloseAlgorithm { void operator()(BCRYPT_ALG_HANDLE h) const { system_dll::BCryptCloseAlgorithmProvider(h, 0); } };
struct DestroyHash { void operator()(BCRYPT_HASH_HANDLE h) const { system_dll::BCryptDestroyHash(h); } };

}  // namespace

bool SameFileContents(const std::wstring& a, const std::wstring& b) {
    UniqueHandle fa = OpenShared(a);
    UniqueHandle fb = OpenShared(b);
    if (!fa || !fb) return false;
    LARGE_INTEGER sa{}, sb{};
    if (!GetFileSizeEx(fa.get(), &sa) || !GetFileSizeEx(fb.get(), &sb) || sa.QuadPart != sb.QuadPart) return false;
    std::vector<char> ba, bb;
    for (;;) {
        if (!ReadFull(fa.get(), ba) || !ReadFull(fb.get(), bb) || ba != bb) return false;
        if (ba.empty()) return true;
    }
}

std::optional<std::string> FileSha256(const std::wstring& path) {
    UniqueHandle file = OpenShared(path);
    if (!file) return std::nullopt;
    Unique<BCRYPT_ALG_HANDLE, CloseAlgorithm, nullptr> alg;
    if (!BCRYPT_SUCCESS(system_dll::BCryptOpenAlgorithmProvider(alg.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return std::nullopt;
    Unique<BCRYPT_HASH_HANDLE, DestroyHash, nullptr> hash;
    if (!BCRYPT_SUCCESS(system_dll::BCryptCreateHash(alg.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) return std::nullopt;
    std::vector<char> buf;
    for (;;) {
        if (!ReadChunk(file.get(), buf)) return std::nullopt;
        if (buf.empty()) break;
        if (!BCRYPT_SUCCESS(system_dll::BCryptHashData(hash.get(), reinterpret_cast<PUCHAR>(buf.data()), static_cast<ULONG>(buf.size()), 0)))
            return std::nullopt;
    }
    unsigned char digest[32];
    if (!BCRYPT_SUCCESS(system_dll::BCryptFinishHash(hash.get(), digest, sizeof digest, 0))) return std::nullopt;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : digest) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}

}  // namespace qv::win32
