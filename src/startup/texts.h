#pragma once
// The start-up's texts: refusals before any window exists, the files it skips, and the
// description of an Excel the program did not start, which every step refuses as well.
// UTF-8 source; the compilers read it as such.

namespace qv::texts {

inline constexpr const wchar_t* kVersionUnsupported = L"お使いのExcelバージョンは、サポート対象外です。";
inline constexpr const wchar_t* kVersionQuestion = L"お使いのExcelバージョンは、サポート対象外です。\n\n　続行する場合は「はい」\n　処理中止する場合は「いいえ」\n\nをクリックしてください。";
inline constexpr const wchar_t* kRuntimeMissing = L"VB6.0のランタイムが存在しません。";
inline constexpr const wchar_t* kRuntimeFileName = L"\\MSVBVM60.DLL";
inline constexpr const wchar_t* kUnsupportedFile1 = L"対象外のファイル = ";
inline constexpr const wchar_t* kUnsupportedFile2 = L" が選択されました。\nこのファイルをスキップします。";

// The user's own Excel is running: its state, its open workbooks, and the request to quit it.
inline constexpr const wchar_t* kExcelRunningHidden = L"Excelが非表示で起動されています。";
inline constexpr const wchar_t* kExcelRunning = L"Excelが起動されています。";
inline constexpr const wchar_t* kOpenFilesAre = L"開いているファイルは、";
inline constexpr const wchar_t* kWorkbookIndent = L"　";
inline constexpr const wchar_t* kOpenFilesEnd = L"です。";
inline constexpr const wchar_t* kNoOpenFiles = L"ありません。";
inline constexpr const wchar_t* kPleaseQuitExcel = L"Excelを終了させてください。";
// The program runs as another user than the one logged on to the desktop: text 1, DOMAIN\user of
// the program's own account, text 2.
inline constexpr const wchar_t* kOtherAccount1 = L"Quorvel SPは、デスクトップにログオンしているユーザーとは別のユーザー（ ";
inline constexpr const wchar_t* kOtherAccount2 =
    L" ）として実行されています。\n"
    L"アドインはユーザーごとに登録されるため、ログオンしているユーザーのまま起動し直してください。";
// An Excel of the program's own from an earlier step had not ended in time: text 1, its process
// id in ASCII digits, text 2.
inline constexpr const wchar_t* kEarlierExcelAlive1 = L"前の処理で使ったExcel（プロセスID：";
inline constexpr const wchar_t* kEarlierExcelAlive2 =
    L"）が時間内に終了しなかったため、何も変更していません。\n"
    L"しばらく待ってから、もう一度実行してください。";
// A hidden Excel that the program did not start, found only by its main window: text 1, its
// process id in ASCII digits, text 2.
inline constexpr const wchar_t* kHiddenExcelRunning1 = L"表示されていないExcel（プロセスID：";
inline constexpr const wchar_t* kHiddenExcelRunning2 =
    L"）が動作しているため、何も変更していません。\n"
    L"タスク マネージャーで終了してから、もう一度実行してください。";

}  // namespace qv::texts
