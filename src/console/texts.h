#pragma once
// quorvelc's texts, in Japanese and English. Each is chosen by its key before its inserts (titles,
// paths, Windows' own texts) are filled in, so those are never rewritten. A refusal or warning
// of the layers below is worded in Japanese as the wizard words it.
// UTF-8 source; the compilers read it as such.
#include <string>

#include "console/options.h"
#include "platform/notice.h"

namespace qv::console {

struct Text {
    const wchar_t* ja;
    const wchar_t* en;
};

inline const wchar_t* In(Lang lang, const Text& t) { return lang == Lang::En ? t.en : t.ja; }

// A refusal or warning in the output's language.
std::wstring NoticeText(const Notice& n, Lang lang);
// Its stable lower-case code, for --json.
const char* ReasonCode(Reason r);
// The name of a failed operation, as FailureInfo gives it, in the output's language; a
// member name after it ("Excelの操作 (AddIns.Add)") is kept.
std::wstring OperationText(const std::wstring& operation, Lang lang);
// A failure's detail in the output's language: only the program's own "not in the add-in
// list" is worded; Windows' and Excel's texts are given as they are.
std::wstring DetailText(const std::wstring& detail, Lang lang);
// "「title」のインストールが完了しました。" and its kin.
enum class Done { Installed, Uninstalled, Deleted };
std::wstring DoneText(Done d, const std::wstring& title, Lang lang);

namespace texts {

inline constexpr Text kBadArguments{L"引数が正しくありません：", L"Bad arguments: "};
inline constexpr Text kSeeHelp{L"使い方は quorvelc --help で表示されます。", L"quorvelc --help shows the usage."};
inline constexpr Text kNotFound{L"アドインリストにありません：", L"Not in the add-in list: "};
inline constexpr Text kAlreadyGone{L"アドインリストにありません（削除済み）：", L"Not in the add-in list (already removed): "};
inline constexpr Text kPressAKey{L"\n何かキーを押すと終了します。", L"\nPress any key to close."};
inline constexpr Text kLeftOnServer{L"ネットワーク上のファイルは削除していません：",
                                    L"The file on the network was not deleted: "};
inline constexpr Text kInRecycleBin{L"ファイルはごみ箱に移しました（元に戻せます）：",
                                    L"The file was moved to the Recycle Bin (it can be restored): "};
inline constexpr Text kUnreachableLeft{L"ドライブまたは共有フォルダに接続できないため、そのままにします：",
                                       L"Left alone: its drive or share cannot be reached: "};
inline constexpr Text kAmbiguous{L"複数のアドインが該当します：", L"More than one add-in matches: "};
inline constexpr Text kAskFullPath{L"フルパスで指定してください。", L"Give the full path."};
inline constexpr Text kFileNotFound{L"ファイルが見つかりません：", L"File not found: "};
inline constexpr Text kNothingToDo{L"変更はありません（既にそのとおりです）：", L"Nothing to do (already so): "};
inline constexpr Text kNotRemovableName{
    L"このアドインは完全削除の対象外です（.xla 以外のファイル名）：",
    L"This add-in cannot be removed (its name is not a .xla name): "};
inline constexpr Text kNotRemovableMicrosoft{
    L"このアドインは完全削除の対象外です（作成者が Microsoft）：",
    L"This add-in cannot be removed (its author is Microsoft): "};
inline constexpr Text kNotRemovableMissing{
    L"このアドインのファイルは存在しません。tidy で削除してください：",
    L"This add-in's file does not exist; tidy removes it: "};
inline constexpr Text kNoUserFolder{
    L"このExcelにはユーザー用のアドインフォルダがありません。",
    L"This Excel has no user add-in folder."};
inline constexpr Text kVersionUpElsewhere{
    L"このアドインは既に次のフォルダにインストールされています。新しいバージョンは同じフォルダに入ります：",
    L"This add-in is already installed in the folder below; a newer version goes there: "};
inline constexpr Text kNewerExcelHint{
    L"続行するには --allow-newer-excel を指定してください。",
    L"Pass --allow-newer-excel to go on."};
inline constexpr Text kRemoveSwitchedOn{
    L"このアドインは、Excelで動作中になっています。一覧を読み直してから、もう一度実行してください：",
    L"Excel now lists this add-in as switched on; read the list again, then run once more: "};
inline constexpr Text kTidyCandidates{L"アドインリストから削除するアドイン（ファイルが存在しません）：",
                                      L"Add-ins to remove from the list (their file is gone):"};
inline constexpr Text kNoCandidates{L"対象がありません。", L"Nothing to work on."};
inline constexpr Text kChanged{L"変更済みのこと：", L"What changed: "};
inline constexpr Text kFailed{L"失敗しました：", L"Failed: "};
inline constexpr Text kOn{L"動作中", L"on"};
inline constexpr Text kOff{L"非動作中", L"off"};
inline constexpr Text kFileThere{L"ファイルあり", L"file present"};
inline constexpr Text kFileGone{L"ファイルなし", L"file missing"};
inline constexpr Text kDefaultFolder{L"デフォルトフォルダ", L"default folder"};
inline constexpr Text kOtherFolder{L"その他のフォルダ", L"other folder"};

// What an operation had changed when it stopped.
inline constexpr Text kChangeOldVersionOff{L"旧バージョンを非動作中にしました", L"the old version was switched off"};
inline constexpr Text kChangeOldVersionBackOn{L"旧バージョンを動作中に戻しました", L"the old version was switched back on"};
inline constexpr Text kChangeFileCopied{L"ファイルを複写しました", L"the file was copied"};
inline constexpr Text kChangeAdded{L"アドインリストに登録しました", L"the add-in was added to the list"};
inline constexpr Text kChangeSwitchedOn{L"動作中にしました", L"the add-in was switched on"};
inline constexpr Text kChangeSwitchedOff{L"非動作中にしました", L"the add-in was switched off"};
inline constexpr Text kChangeFileDeleted{L"ファイルを削除しました", L"the file was deleted"};
inline constexpr Text kChangeFileRecycled{L"ファイルをごみ箱に移しました", L"the file was moved to the Recycle Bin"};
inline constexpr Text kChangeRegistry{L"レジストリの値を削除しました", L"the registry value was deleted"};

}  // namespace texts

// The usage, with the exit codes.
std::wstring HelpText(Lang lang);

}  // namespace qv::console
