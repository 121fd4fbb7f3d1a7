#pragma once
// The file-details reader's texts: the column headers of the Japanese details view, in its
// order, and the warning for a file without a title.
// UTF-8 source; the compilers read it as such.

namespace qv::texts {

inline constexpr const wchar_t* kHeaderAuthor = L"作成者";
inline constexpr const wchar_t* kHeaderTitle = L"タイトル";
inline constexpr const wchar_t* kNoTitle1 = L"タイトルが設定されていません。\n「 ";
inline constexpr const wchar_t* kNoTitle2 = L" 」";
// Column headers of the Japanese details view, in its order; the reader of a file's own summary
// properties presents them when the shell has no details to give. 作成者 and タイトル are kHeaderAuthor
// and kHeaderTitle above.
inline constexpr const wchar_t* kHeaderName = L"名前";
inline constexpr const wchar_t* kHeaderSize = L"サイズ";
inline constexpr const wchar_t* kHeaderType = L"種類";
inline constexpr const wchar_t* kHeaderModified = L"更新日時";
inline constexpr const wchar_t* kHeaderCreated = L"作成日時";
inline constexpr const wchar_t* kHeaderAccessed = L"アクセス日時";
inline constexpr const wchar_t* kHeaderAttributes = L"属性";
inline constexpr const wchar_t* kHeaderStatus = L"状態";
inline constexpr const wchar_t* kHeaderOwner = L"所有者";
inline constexpr const wchar_t* kHeaderSubject = L"件名";
inline constexpr const wchar_t* kHeaderCategory = L"分類";
inline constexpr const wchar_t* kHeaderPages = L"ページ数";
inline constexpr const wchar_t* kHeaderComments = L"コメント";
inline constexpr const wchar_t* kHeaderCopyright = L"著作権";

}  // namespace qv::texts
