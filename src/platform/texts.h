#pragma once
// The title of every message box, and the names of the operations a failure can name.
// UTF-8 source; the compilers read it as such.

namespace qv::texts {

// window caption and every message box title
inline constexpr const wchar_t* kAppTitle = L"Quorvel SP";
// Names of the operations a failure report can name.
inline constexpr const wchar_t* kOpExcel = L"Excelの操作";
inline constexpr const wchar_t* kOpCopy = L"ファイルの複写";
inline constexpr const wchar_t* kOpDelete = L"ファイルの削除";
inline constexpr const wchar_t* kOpCreateFolder = L"フォルダの作成";
inline constexpr const wchar_t* kOpClipboard = L"クリップボードへのコピー";
inline constexpr const wchar_t* kOpRegistry = L"レジストリの操作";
inline constexpr const wchar_t* kOpFileDetails = L"ファイルのプロパティの読み取り";
inline constexpr const wchar_t* kOpWindow = L"画面の操作";

}  // namespace qv::texts
