#include <windows.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <optional>
#include <vector>

#include "platform/win32/platform.h"
#include "platform/win32/system_dlls.h"

namespace qv::win32 {

namespace {

// The token's user SID, in a buffer that holds it; nullopt when the token cannot be read.
std::optional<std::vector<BYTE>> UserSidOf(HANDLE token) {
    DWORD n = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &n);
    if (n == 0) return std::nullopt;
    std::vector<BYTE> buf(n);
    if (!GetTokenInformation(token, TokenUser, buf.data(), n, &n)) return std::nullopt;
    return buf;
}

PSID SidIn(std::vector<BYTE>& tokenUser) { return reinterpret_cast<TOKEN_USER*>(tokenUser.data())->User.Sid; }

// The SID's text form ("S-1-5-21-…"); empty when it cannot be converted.
std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return std::wstring();
    std::wstring r(text);
    LocalFree(text);
    return r;
}

// DOMAIN\user; the SID's own text when the account cannot be looked up.
std::wstring NameOf(PSID sid) {
    wchar_t name[256], domain[256];
    DWORD n = 256, d = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, sid, name, &n, domain, &d, &use))
        return d ? std::wstring(domain, d) + L"\\" + std::wstring(name, n) : std::wstring(name, n);
    return SidText(sid);
}

// The SID of an account named DOMAIN\user or user; nullopt when the name cannot be looked up
// (a domain controller out of reach, say).
std::optional<std::vector<BYTE>> SidOfName(const std::wstring& name) {
    DWORD sidBytes = 0, domainChars = 0;
    SID_NAME_USE use;
    LookupAccountNameW(nullptr, name.c_str(), nullptr, &sidBytes, nullptr, &domainChars, &use);
    if (sidBytes == 0) return std::nullopt;
    std::vector<BYTE> sid(sidBytes);
    std::vector<wchar_t> domain(domainChars + 1);
    domainChars = static_cast<DWORD>(domain.size());
    if (!LookupAccountNameW(nullptr, name.c_str(), sid.data(), &sidBytes, domain.data(), &domainChars, &use))
        return std::nullopt;
    return sid;
}

std::optional<std::vector<BYTE>> ProcessUser(HANDLE process) {
    UniqueHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) return std::nullopt;
    return UserSidOf(token.get());
}

// The user of the process that owns the desktop's shell window (Explorer).
std::optional<std::vector<BYTE>> ShellUser() {
    HWND shell = GetShellWindow();
    if (!shell) return std::nullopt;
    DWORD pid = 0;
    GetWindowThreadProcessId(shell, &pid);
    if (!pid) return std::nullopt;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return std::nullopt;
    return ProcessUser(process.get());
}

std::wstring SessionText(WTS_INFO_CLASS what) {
    wchar_t* buf = nullptr;
    DWORD bytes = 0;
    if (!system_dll::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, what, &buf, &bytes) || !buf)
        return std::wstring();
    std::wstring text(buf);
    system_dll::WTSFreeMemory(buf);
    return text;
}

// DOMAIN\user of the session's logged-on user (only "user" when the domain is not told).
std::optional<std::wstring> SessionUser() {
    std::wstring user = SessionText(WTSUserName);
    if (user.empty()) return std::nullopt;  // session 0 of a service has no user
    std::wstring domain = SessionText(WTSDomainName);
    return domain.empty() ? user : domain + L"\\" + user;
}

}  // namespace

AccountFacts Win32Accounts::Facts() {
    AccountFacts facts;
    std::optional<std::vector<BYTE>> own = ProcessUser(GetCurrentProcess());
    if (own) {
        facts.own = NameOf(SidIn(*own));
        facts.ownSid = SidText(SidIn(*own));
        facts.ownIsLocalSystem = IsWellKnownSid(SidIn(*own), WinLocalSystemSid) != FALSE;
    }
    if (auto shell = ShellUser()) {
        facts.desktopUser = NameOf(SidIn(*shell));
        facts.desktopSid = SidText(SidIn(*shell));
    } else if ((facts.desktopUser = SessionUser())) {
        // No shell window yet (a logon task, Intune's user phase, RemoteApp): the session tells
        // only a name, and the account behind it is what counts.
        if (auto sid = SidOfName(*facts.desktopUser)) facts.desktopSid = SidText(sid->data());
    }
    return facts;
}

}  // namespace qv::win32
