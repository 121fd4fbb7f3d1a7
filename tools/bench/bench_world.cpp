#include "bench_world.h"

#include <cstdio>

#include "fileinfo/win32/summary_writer.h"

namespace qv::bench {

namespace {

constexpr const wchar_t* kSettingsKey = L"Software\\ExcelStandIn";
constexpr const wchar_t* kOptionsKey = L"Software\\Microsoft\\Office\\11.0\\Excel\\Options";
constexpr const wchar_t* kManagerKey = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";

using test::ClearValues;
using test::RemoveTree;

}  // namespace

const char* NameOf(Layout layout) {
    return layout == Layout::UserFolder ? "user add-in folder" : "Add-in Manager values";
}

World::World(const std::wstring& root, int addins, Layout layout)
    : root_(root), user_(root + L"\\user"), lib_(root + L"\\lib"), own_(root + L"\\tools"), settings_(kSettingsKey),
      options_(kOptionsKey), manager_(kManagerKey) {
    RemoveTree(root_);
    CreateDirectoryW(root_.c_str(), nullptr);
    CreateDirectoryW(user_.c_str(), nullptr);
    CreateDirectoryW(lib_.c_str(), nullptr);
    CreateDirectoryW(own_.c_str(), nullptr);
    ClearValues(kOptionsKey);
    ClearValues(kManagerKey);
    const std::wstring& folder = layout == Layout::UserFolder ? user_ : own_;
    HKEY manager = nullptr;
    if (layout == Layout::AddinManager)
        RegCreateKeyExW(HKEY_CURRENT_USER, kManagerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &manager, nullptr);
    for (int i = 0; i < addins; ++i) {
        wchar_t n[16];
        std::swprintf(n, 16, L"%04d", i);
        const std::wstring path = folder + L"\\tool" + n + L".xla";
        win32::WriteXlaFixture(path, std::wstring(L"Bench Tool ") + n, L"Quorvel Bench");
        // Switched off outside the default folders: the full path as the name, empty data.
        if (manager) RegSetValueExW(manager, path.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    }
    if (manager) RegCloseKey(manager);
    Set(L"Version", L"11.0");
    Set(L"UserLibraryPath", user_ + L"\\");
    Set(L"LibraryPath", lib_);
    for (const wchar_t* name : {L"BusyMilliseconds", L"ExitDelayMilliseconds", L"Languages", L"CallLog"}) Set(name, std::nullopt);
}

World::~World() {
    // Each stand-in writes its list as it ends: let them end before the registry is put back.
    WaitForNoStandIn(30000);
    RemoveTree(root_);
}

void World::Set(const wchar_t* name, const std::optional<std::wstring>& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(k, name);
    RegCloseKey(k);
}

}  // namespace qv::bench
