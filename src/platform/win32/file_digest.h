#pragma once
// A file's content compared or hashed, read sharing read, write and delete: the user's Excel
// holds the add-ins it has switched on open, and a detection rule runs while it does.
#include <optional>
#include <string>

namespace qv::win32 {

// Whether both files can be read and hold the same bytes.
bool SameFileContents(const std::wstring& a, const std::wstring& b);

// The file's SHA-256 (Windows' own provider) in lower-case hexadecimal; nullopt when it cannot be read.
std::optional<std::string> FileSha256(const std::wstring& path);

}  // namespace qv::win32
