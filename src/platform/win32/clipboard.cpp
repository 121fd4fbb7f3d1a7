#include <cstring>

#include "platform/error.h"
#include "platform/win32/platform.h"
#include "platform/texts.h"

namespace qv::win32 {

namespace {
[[noreturn]] void Fail(DWORD code) {
    throw Failure(texts::kOpClipboard, SystemMessage(code), static_cast<long>(code));
}
}  // namespace

bool Win32Clipboard::SetText(const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueHglobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) Fail(GetLastError());
    {
        GlobalLocked locked(memory.get());
        if (!locked.get()) Fail(GetLastError());
        std::memcpy(locked.get(), text.c_str(), bytes);
    }
    // OpenClipboard fails only while another window has the clipboard open.
    OpenClipboardScope open(owner_);
    if (!open) return false;
    if (!EmptyClipboard()) Fail(GetLastError());
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) Fail(GetLastError());
    memory.release();  // the clipboard owns it now
    return true;
}

void Win32Clipboard::Pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace qv::win32
