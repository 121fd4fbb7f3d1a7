#pragma once
// The values OPEN, OPEN1, OPEN2… under Excel's Options key: one switched-on add-in each.
// Installers and Excel write them as `/R "C:\path\a.xla"`, `"C:\path\a.xla"`, `"a.xla"`, or the
// same without quotes; a bare file name means a file in one of the default folders.
#include <optional>
#include <string>

namespace qv::standin {

struct OpenValue {
    std::wstring file;  // full path, or a bare file name; empty when the value names nothing
    bool bare = false;  // true for a bare file name
};

OpenValue ParseOpenValue(const std::wstring& data);

// What Excel writes: a quoted bare name for a file in a default folder, `/R "full path"` otherwise.
std::wstring FormatOpenValue(const std::wstring& fullPath, bool bare);

// 0 for "OPEN", n for "OPENn" (any letter case); nullopt for any other value name.
std::optional<int> OpenValueIndex(const std::wstring& name);
std::wstring OpenValueName(int index);

}  // namespace qv::standin
