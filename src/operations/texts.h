#pragma once
// The operations' texts: registry key names, completion texts and the refusals every front end
// shows alike.
// UTF-8 source; the compilers read it as such.

namespace qv::texts {

inline constexpr const wchar_t* kAddinManagerKey1 = L"Software\\Microsoft\\Office";
inline constexpr const wchar_t* kAddinManagerKey2 = L"\\Excel\\Add-in Manager";
inline constexpr const wchar_t* kExcelOptionsKey2 = L"\\Excel\\Options";
inline constexpr const wchar_t* kOpenQuote = L"「";
inline constexpr const wchar_t* kInstallDone = L"」のインストールが完了しました。";
inline constexpr const wchar_t* kUninstallDone = L"」のアンインストールが完了しました。";
inline constexpr const wchar_t* kDeleteDone = L"」の削除が完了しました。";
inline constexpr const wchar_t* kTitleConflict = L"同じ名前のアドインが違うファイル名で登録されています。\n本処理を中止して、ファイルのプロパティでタイトルを変更してください。";
// A folder on a drive that is not a fixed disk: text 1, the drive in full-width letters, text 2.
inline constexpr const wchar_t* kDriveRefused1 = L"このドライブ（ ";
inline constexpr const wchar_t* kDriveRefused2 = L" ）は、指定できません。";
// The install's target folder must be an existing folder given as a full path.
inline constexpr const wchar_t* kInvalidFolder1 = L"インストール先のフォルダが正しくありません。\n存在するフォルダをフルパスで指定してください。\n「 ";
inline constexpr const wchar_t* kInvalidFolder2 = L" 」";
// Detail of a failure: the add-in behind the selected row is no longer in Excel's list.
inline constexpr const wchar_t* kAddinNotListed = L"アドインリストにありません：";
// A removal waits for its Excel to end before it deletes anything; this is shown when it did not.
inline constexpr const wchar_t* kExcelDidNotEnd =
    L"Excelが時間内に終了しなかったため、何も削除していません。\n"
    L"アドインは非動作中になっている場合があります。\n"
    L"しばらく待ってから、もう一度実行してください。";
// Removing an inactive add-in that Excel, read again, lists as switched on: "「", the row's
// text, then this.
inline constexpr const wchar_t* kAddinSwitchedOn =
    L"」は動作中のため、アンインストール３では削除できません。\n"
    L"アンインストール２（動作中アドインの完全削除）を使ってください。";
// After Excel's end an OPEN value still names the add-in: Excel would load it again.
inline constexpr const wchar_t* kStillRegistered =
    L"Excelの終了後もアドインが登録されたままのため、何も削除していません。\n"
    L"Excelをすべて終了してから、もう一度実行してください。";
// A folder that the wizard cannot change without administrator rights: text 1, the folder, text 2;
// a new install adds the hint on the user add-in folder.
inline constexpr const wchar_t* kAdminFolder1 = L"次のフォルダを変更するには、管理者の権限が必要です。\n「 ";
inline constexpr const wchar_t* kAdminFolder2 =
    L" 」\nご自分のアカウントに管理者の権限がある場合は、quorvel.exeを右クリックし、「管理者として実行」で起動し直してください。\n"
    L"ない場合は、システム管理者に依頼してください。";
inline constexpr const wchar_t* kAdminUserFolderHint =
    L"\nまたは、アドインフォルダにユーザー用のフォルダ（【１】のフォルダ）を選択してください。";
// A file that the removal would delete, or the install replace, is read-only: text 1, the path, text 2.
inline constexpr const wchar_t* kReadOnlyFile1 = L"次のファイルは読み取り専用のため、削除や置き換えができません。\n「 ";
inline constexpr const wchar_t* kReadOnlyFile2 =
    L" 」\nファイルのプロパティで「読み取り専用」のチェックを外してから、もう一度実行してください。";
// The file to install came from the internet (Mark of the Web): Yes unblocks the copy, No keeps
// the mark, Cancel stops with nothing changed.
inline constexpr const wchar_t* kUnblockQuestion =
    L"このファイルは、インターネットから取得したファイルとしてブロックされています。\n"
    L"このままインストールすると、Excelはこのアドインのマクロを実行しない場合があります。\n"
    L"信頼できる提供元のファイルの場合のみ、ブロックを解除してください。\n\n"
    L"　ブロックを解除してインストールする場合は「はい」\n"
    L"　ブロックしたままインストールする場合は「いいえ」\n"
    L"　処理を中止する場合は「キャンセル」\n\n"
    L"をクリックしてください。";
// Excel cannot open a workbook whose full name is longer than this many UTF-16 units.
inline constexpr const wchar_t* kPathTooLong1 =
    L"インストール先のファイル名が長すぎます。\nExcelが開けるのは、フォルダを含めて218文字までのファイル名です。\n「 ";
inline constexpr const wchar_t* kPathTooLong2 = L" 」";
// The install is done, but the installed file's mark (Mark of the Web) is not as asked:
// text 1, the path, kMarkClose.
inline constexpr const wchar_t* kMarkNotSet1 =
    L"インストールは完了しましたが、インストールしたファイルに、インターネットから取得したファイルとしての"
    L"印を付けられませんでした。\n「 ";
inline constexpr const wchar_t* kMarkNotRemoved1 =
    L"インストールは完了しましたが、インストールしたファイルのブロックを解除できませんでした。\n"
    L"Excelがこのアドインのマクロを実行しない場合があります。"
    L"ファイルのプロパティで「許可する」にチェックを付けてください。\n「 ";
inline constexpr const wchar_t* kMarkNotKept1 =
    L"インストールは完了しましたが、インストール先のドライブはインターネットから取得したファイルとしての"
    L"印を保存できないため、インストールしたファイルには印がありません。\n「 ";
inline constexpr const wchar_t* kMarkClose = L" 」";

}  // namespace qv::texts
