#pragma once
// Writes OLE compound documents that carry a summary property set: the sample add-ins and
// the fixtures of the details tests.
#include <string>

namespace qv::win32 {

// A compound document at `path` (replaced if present) whose summary set, written through
// IPropertySetStorage, holds `title` and `author` as Unicode text (code page 1200). An empty
// text is not written at all.
bool WriteXlaFixture(const std::wstring& path, const std::wstring& title, const std::wstring& author);

// The bytes of a summary-information stream that declares code page `codePage` (932, 1252,
// 65001, 1200...) and holds `title` and `author` as 8-bit strings (VT_LPSTR) in it, as older
// and non-Microsoft writers store them. An empty text is left out.
std::string BuildSummaryStream(const std::wstring& title, const std::wstring& author, unsigned codePage);

// A compound document at `path` whose summary stream is BuildSummaryStream's.
bool WriteXlaFixtureInCodePage(const std::wstring& path, const std::wstring& title, const std::wstring& author,
                               unsigned codePage);

}  // namespace qv::win32
