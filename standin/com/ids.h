#pragma once
#include <windows.h>

namespace qv::standin::com {

// {5E0B7C1A-3F2D-4C8B-9A61-7D2E4F8B1C35}
inline constexpr CLSID kClsid = {0x5E0B7C1A, 0x3F2D, 0x4C8B, {0x9A, 0x61, 0x7D, 0x2E, 0x4F, 0x8B, 0x1C, 0x35}};
inline constexpr const wchar_t* kClsidText = L"{5E0B7C1A-3F2D-4C8B-9A61-7D2E4F8B1C35}";
inline constexpr const wchar_t* kProgId = L"Excel.Application";
inline constexpr const wchar_t* kWindowTitle = L"Excel stand-in";

// Posted by test clean-up to a server's thread: a server whose class object no client has taken
// yet revokes it and ends. Killed instead, it would leave the registration in Wine's class table,
// where the next CoCreateInstance would be handed it and fail.
inline constexpr UINT kEndIfUnused = WM_APP + 3;

}  // namespace qv::standin::com
