#pragma once
#include <string>

namespace qv::standin::com {

// The title in the file's summary property set; empty when it has none or cannot be read.
std::wstring ReadFileTitle(const std::wstring& fullPath);

}  // namespace qv::standin::com
