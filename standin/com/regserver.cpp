#include "com/regserver.h"

#include <windows.h>

#include "com/ids.h"
#include "com/machine.h"
#include "model/paths.h"
#include "platform/win32/handles.h"

namespace qv::standin::com {
namespace {

// A REG_SZ value under HKLM; an empty `name` is the key's default value.
bool SetMachineString(const std::wstring& key, const wchar_t* name, const std::wstring& value, std::wstring& error) {
    qv::win32::UniqueHkey k;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr);
    if (rc == ERROR_SUCCESS)
        rc = RegSetValueExW(k.get(), *name ? name : nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS) error = L"HKLM\\" + key + L": " + qv::win32::SystemMessage(static_cast<DWORD>(rc));
    return rc == ERROR_SUCCESS;
}

// Deletes the key; one that is not there is no failure.
bool DeleteMachineKey(const std::wstring& key, std::wstring& error) {
    const LONG rc = RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return true;
    error = L"HKLM\\" + key + L": " + qv::win32::SystemMessage(static_cast<DWORD>(rc));
    return false;
}

bool SetDefault(const std::wstring& key, const std::wstring& value, std::wstring& error) {
    return SetMachineString(L"Software\\Classes\\" + key, L"", value, error);
}

}  // namespace

bool RegisterServer(std::wstring& error) {
    wchar_t exe[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, exe, static_cast<DWORD>(std::size(exe)));
    if (n == 0 || n >= std::size(exe)) {
        error = L"GetModuleFileName failed";
        return false;
    }
    const std::wstring server = ServerCommand(std::wstring(exe, n));
    const Settings settings = Machine().CurrentSettings();
    std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    return SetDefault(std::wstring(kProgId) + L"\\CLSID", kClsidText, error) &&
           SetDefault(clsidKey, kWindowTitle, error) &&
           SetDefault(clsidKey + L"\\LocalServer32", server, error) &&
           SetDefault(clsidKey + L"\\ProgID", kProgId, error) &&
           // What Office registers beside its server, as its Version setting makes it.
           SetDefault(std::wstring(kProgId) + L"\\CurVer", CurVerText(settings), error) &&
           // One layout at a time, so that a reader finds the key only where this layout keeps it.
           DeleteMachineKey(settings.clickToRun ? InstallRootKey(settings) : ClickToRunInstallRootKey(settings), error) &&
           SetMachineString(settings.clickToRun ? ClickToRunInstallRootKey(settings) : InstallRootKey(settings), L"Path",
                            InstallRootPath(settings), error);
}

}  // namespace qv::standin::com
