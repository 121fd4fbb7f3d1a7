#pragma once
// The window's own words, written once. The texts of the layers below are theirs; they are
// included here so that the window reaches every text it shows through one header.
// UTF-8 source; the compilers read it as such.

#include "fileinfo/texts.h"
#include "operations/texts.h"
#include "platform/texts.h"
#include "startup/texts.h"

namespace qv::texts {

inline constexpr const wchar_t* kOptCaption0 = L"インストール１";
inline constexpr const wchar_t* kOptCaption1 = L"インストール２";
inline constexpr const wchar_t* kOptCaption2 = L"アンインストール１";
inline constexpr const wchar_t* kOptCaption3 = L"アンインストール２";
inline constexpr const wchar_t* kOptCaption4 = L"アンインストール３";
inline constexpr const wchar_t* kOptCaption5 = L"アンインリストの整理";
inline constexpr const wchar_t* kOptCaption6 = L"アドインフォルダの表示";
inline constexpr const wchar_t* kOptTip0 = L"アドインファイルを選択して「次へ」をクリックしてください。";
inline constexpr const wchar_t* kLblOpt0 = L"（新規orバージョンアップ）";
inline constexpr const wchar_t* kLblOpt1 = L"（アドインリストでCheckOn）";
inline constexpr const wchar_t* kLblOpt2 = L"（アドインリストのCheckOff）";
inline constexpr const wchar_t* kLblOpt3 = L"（動作中アドインの完全削除）";
inline constexpr const wchar_t* kLblOpt4 = L"（非動作中アドインの完全削除）";
inline constexpr const wchar_t* kLblOpt5 = L"（実在しないアドインファイルのアドインをアドインリストから削除）";
inline constexpr const wchar_t* kLblMsg0Design = L"アドインファイル";
inline constexpr const wchar_t* kCmdAddinCaption = L"参照";
inline constexpr const wchar_t* kCmdAddinTip = L"フォルダを開くアドインファイル（複数可）を選択できます。";
inline constexpr const wchar_t* kLabel3 = L"アドインフォルダ";
inline constexpr const wchar_t* kCbxFolderTip = L"保存先のフォルダパスを選択して下し）";
inline constexpr const wchar_t* kTxtFolderTip = L"現在の保存場所です。変更はできません。";
inline constexpr const wchar_t* kCmdFolderCaption = L"任意のフォルダ参照";
inline constexpr const wchar_t* kLabel7 = L"処理ステップ";
inline constexpr const wchar_t* kCmdNextCaption = L"次へ";
inline constexpr const wchar_t* kCmdEndCaption = L"終了";
inline constexpr const wchar_t* kCmdEndTip = L"処理を終了しウィンドウを閉じます。";
inline constexpr const wchar_t* kCmdManualCaption = L"操作説明";
inline constexpr const wchar_t* kCmdManualTip = L"Acrobat Reader または、Adobe Readerがインストールされていないと表示されません。";
inline constexpr const wchar_t* kLabel2 = L"アドインフォルダについて";
inline constexpr const wchar_t* kLabel1 = L"Quorvel SP";
// 22 lines, each ending CR LF, then an empty line
inline constexpr const wchar_t* kHelpText =
    L"  アドインフォルダは、アドインファイルを格納するフォルダのことで、使い方で３つあります。(Excel97は２つ)\r\n"
    L"\r\n"
    L"　【１】エクセルで規定の保存先として使われているフォルダ（パス）です。\r\n"
    L"　アドインもアドインを組み込んだXLSファイルも個人で使う場合にこちらのフォルダを指定します。\r\n"
    L"　エクセルの「名前を付けて保存」ダイアログで、ファイルの種類を\r\n"
    L"　　「Microsoft Excel アドイン ( *.xla )」　　に切り換えた時に自動的に既定の保存先として表示されます。\r\n"
    L"　このパスは、ＯＳによって異なります。\r\n"
    L"　このパスは、ＶＢＥのイミディエイト画面で ?Application.UserLibraryPath [Enter]で、確認できます。（除く、Excel97）\r\n"
    L"　このフォルダに格納したアドインは、アドインリスト（｢ツール]-「アドイン〕のダイアログ）に自動表示されます。\r\n"
    L"\r\n"
    L"　【２】[分析ツールアドイン]などMicrosoft社提供のアドインファイルが保存されているフォルダ（パス）です。\r\n"
    L"　アドインを組み込んだXlsファイルを配布する場合にこちらのフォルダを指定します。\r\n"
    L"　このパスは、ＶＢＥのイミディエイト画面で ?Application.LibraryPath [Enter]で、確認できます。\r\n"
    L"　このフォルダに格納したアドインは、、アドインリスト（｢ツール]-「アドイン〕のダイアログ）に自動表示されます。\r\n"
    L"　Excel97は、こちらのフォルダが規定の保存先となります。\r\n"
    L"\r\n"
    L"　【３】任意のフォルダ：上のどちらのフォルダにも入れずに使う方法です。\r\n"
    L"　アドインを一時的に使用する場合などで指定します。\r\n"
    L"　ＬＡＮ環境のファイルサーバーの共有フォルダに入れて、複数のユーザーで共有するというような使い方もできます。\r\n"
    L"　が、運用上で考慮しておかなければならない事項があります。\r\n"
    L"　　(1)アドインファイルを差替えする場合、差換えする間、全てのユーザーの使用を停止する必要があります。\r\n"
    L"　　(2)ファイルサーバーに接続していない場合には、Excel起動時にエラーが発生します。\r\n"
    L"\r\n";
inline constexpr const wchar_t* kVersionPrefix = L"Ver ";
inline constexpr const wchar_t* kListHeader0 = L"アドインファイル";
inline constexpr const wchar_t* kListHeader1 = L"非動作中のアドイン";
inline constexpr const wchar_t* kListHeader2 = L"動作中のアドイン";
inline constexpr const wchar_t* kListHeader3 = L"動作中のアドイン";
inline constexpr const wchar_t* kListHeader4 = L"非動作中のアドイン";
inline constexpr const wchar_t* kListHeader5 = L"実在しないアドイン";
inline constexpr const wchar_t* kListHeader6 = L"アドインリスト";
inline constexpr const wchar_t* kNextTip0 = L"新規インストールの場合のみ、アドインフォルダを選択or指定してください。";
inline constexpr const wchar_t* kNextTip1 = L"動作中にします。";
inline constexpr const wchar_t* kNextTip2 = L"非動作中にします。";
inline constexpr const wchar_t* kNextTip3 = L"アンインストールします。";
inline constexpr const wchar_t* kNextTip4 = L"アンインストールします。";
inline constexpr const wchar_t* kNextTip5 = L"アドインを削除します。";
inline constexpr const wchar_t* kNextTip6 = L"クリックボードへコピーします。";
inline constexpr const wchar_t* kSteps0 = L"△1.動作中→非動作中(CheckOff)・・動作中の場合\r\n○2.ファイル複写\r\n○3.アドインリスト登録\r\n○4.非動作中→動作中(CheckOn)";
inline constexpr const wchar_t* kSteps1 = L"○1.非動作中→動作中(CheckOn)";
inline constexpr const wchar_t* kSteps2 = L"○1.動作中→非動作中(CheckOff)";
inline constexpr const wchar_t* kSteps3 = L"○1.動作中→非動作中(CheckOff)\r\n○2.ファイル削除\r\n○3.アドインリスト削除\r\n△4.レジストリ削除・・デフォルトフォルダ以外の場合";
inline constexpr const wchar_t* kSteps4 = L"○1.ファイル削除\r\n○2.アドインリスト削除\r\n△3.レジストリ削除・・デフォルトフォルダ以外の場合";
inline constexpr const wchar_t* kSteps5 = L"○1.アドインリスト削除\r\n△2.レジストリ削除・・デフォルトフォルダ以外の場合";
inline constexpr const wchar_t* kSteps6 = L"アドインフォルダの内容をクリップボードへコピーします。\r\n他のアプリケーションへ貼り付けして利用できます。";
inline constexpr const wchar_t* kNoCandidates = L"対象がありません。";
inline constexpr const wchar_t* kRunSuffix = L"の実行";
inline constexpr const wchar_t* kCopyToClipboard = L"クリップボードへコピー";
inline constexpr const wchar_t* kInstall1Run = L"インストール１の実行";
inline constexpr const wchar_t* kOpenFilter = L"アドインファイル (*.xla), *.xla";
inline constexpr const wchar_t* kManualFile = L"\\操作説明.pdf";
inline constexpr const wchar_t* kSelectAddinFile = L"アドインファイルを選択してください。";
inline constexpr const wchar_t* kSelectAddin = L"アドインを選択してください。";

// ---- Texts of our own: the window's failure report ----
// Top-level report of a failure that ends the program: header, then what failed, then the system's text.
inline constexpr const wchar_t* kFailureHeader = L"エラーが発生したため、処理を中止してQuorvel SPを終了します。";
inline constexpr const wchar_t* kFailureWhat = L"失敗した処理：";
inline constexpr const wchar_t* kFailureDetail = L"エラー内容：";
inline constexpr const wchar_t* kFailureCode = L"エラーコード：";

// Asked when a call to the program's Excel has not returned for a long time.
inline constexpr const wchar_t* kExcelNotResponding =
    L"Excelが応答しません。アドインがメッセージを表示している可能性があります。\n\n"
    L"　待ち続ける場合は「はい」\n"
    L"　このExcelを終了して処理を中止する場合は「いいえ」\n\n"
    L"をクリックしてください。";

// The clipboard stayed busy: the path is shown so that the user can still read it.
inline constexpr const wchar_t* kClipboardBusy =
    L"クリップボードが他のプログラムで使用中のため、コピーできませんでした。\nアドインのパスは次のとおりです。\n";

}  // namespace qv::texts
