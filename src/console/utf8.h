#pragma once
// UTF-8 for the pipe and for JSON, from the core's wide text (UTF-16 on Windows, UTF-32 elsewhere).
#include <string>

namespace qv::console {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace qv::console
