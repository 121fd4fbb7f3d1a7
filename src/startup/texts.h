#pragma once
// The start-up's texts: refusals before any window exists, and the files it skips.
// UTF-8 source; the compilers read it as such.

namespace qv::texts {

inline constexpr const wchar_t* kVersionUnsupported = L"お使いのExcelバージョンは、サポート対象外です。";
inline constexpr const wchar_t* kVersionQuestion = L"お使いのExcelバージョンは、サポート対象外です。\n\n　続行する場合は「はい」\n　処理中止する場合は「いいえ」\n\nをクリックしてください。";
inline constexpr const wchar_t* kRuntimeMissing = L"VB6.0のランタイムが存在しません。";
inline constexpr const wchar_t* kRuntimeFileName = L"\\MSVBVM60.DLL";
inline constexpr const wchar_t* kUnsupportedFile1 = L"対象外のファイル = ";
inline constexpr const wchar_t* kUnsupportedFile2 = L" が選択されました。\nこのファイルをスキップします。";

}  // namespace qv::texts
