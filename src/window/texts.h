#pragma once
// Every text the wizard shows, written once. UTF-8 source; the compilers read it as such.

namespace qv::texts {

// window caption and every message box title
inline constexpr const wchar_t* kAppTitle = L"Quorvel SP";
inline constexpr const wchar_t* kExcelRunningHidden = L"Excelが非表示で起動されています。";
inline constexpr const wchar_t* kExcelRunning = L"Excelが起動されています。";
inline constexpr const wchar_t* kOpenFilesAre = L"開いているファイルは、";
inline constexpr const wchar_t* kWorkbookIndent = L"　";
inline constexpr const wchar_t* kOpenFilesEnd = L"です。";
inline constexpr const wchar_t* kNoOpenFiles = L"ありません。";
inline constexpr const wchar_t* kPleaseQuitExcel = L"Excelを終了させてください。";
inline constexpr const wchar_t* kVersionUnsupported = L"お使いのExcelバージョンは、サポート対象外です。";
inline constexpr const wchar_t* kVersionQuestion = L"お使いのExcelバージョンは、サポート対象外です。\n\n　続行する場合は「はい」\n　処理中止する場合は「いいえ」\n\nをクリックしてください。";
inline constexpr const wchar_t* kRuntimeMissing = L"VB6.0のランタイムが存在しません。";
inline constexpr const wchar_t* kRuntimeFileName = L"\\MSVBVM60.DLL";
inline constexpr const wchar_t* kUnsupportedFile1 = L"対象外のファイル = ";
inline constexpr const wchar_t* kUnsupportedFile2 = L" が選択されました。\nこのファイルをスキップします。";
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
inline constexpr const wchar_t* kTitleConflict = L"同じ名前のアドインが違うファイル名で登録されています。\n本処理を中止して、ファイルのプロパティでタイトルを変更してください。";
inline constexpr const wchar_t* kOpenFilter = L"アドインファイル (*.xla), *.xla";
inline constexpr const wchar_t* kDriveRefused1 = L"このドライブ（ ";
inline constexpr const wchar_t* kDriveRefused2 = L" ）は、指定できません。";
inline constexpr const wchar_t* kManualFile = L"\\操作説明.pdf";
inline constexpr const wchar_t* kSelectAddinFile = L"アドインファイルを選択してください。";
inline constexpr const wchar_t* kSelectAddin = L"アドインを選択してください。";
inline constexpr const wchar_t* kOpenQuote = L"「";
inline constexpr const wchar_t* kInstallDone = L"」のインストールが完了しました。";
inline constexpr const wchar_t* kUninstallDone = L"」のアンインストールが完了しました。";
inline constexpr const wchar_t* kDeleteDone = L"」の削除が完了しました。";
inline constexpr const wchar_t* kAddinManagerKey1 = L"Software\\Microsoft\\Office";
inline constexpr const wchar_t* kAddinManagerKey2 = L"\\Excel\\Add-in Manager";
inline constexpr const wchar_t* kHeaderAuthor = L"作成者";
inline constexpr const wchar_t* kHeaderTitle = L"タイトル";
inline constexpr const wchar_t* kNoTitle1 = L"タイトルが設定されていません。\n「 ";
inline constexpr const wchar_t* kNoTitle2 = L" 」";

// ---- Texts of our own: failure reports and checks that the wizard adds ----
// Top-level report of a failure that ends the program: header, then what failed, then the system's text.
inline constexpr const wchar_t* kFailureHeader = L"エラーが発生したため、処理を中止してQuorvel SPを終了します。";
inline constexpr const wchar_t* kFailureWhat = L"失敗した処理：";
inline constexpr const wchar_t* kFailureDetail = L"エラー内容：";
inline constexpr const wchar_t* kFailureCode = L"エラーコード：";
// Names of the operations a failure report can name.
inline constexpr const wchar_t* kOpExcel = L"Excelの操作";
inline constexpr const wchar_t* kOpCopy = L"ファイルの複写";
inline constexpr const wchar_t* kOpDelete = L"ファイルの削除";
inline constexpr const wchar_t* kOpClipboard = L"クリップボードへのコピー";
inline constexpr const wchar_t* kOpRegistry = L"レジストリの操作";
inline constexpr const wchar_t* kOpFileDetails = L"ファイルのプロパティの読み取り";
inline constexpr const wchar_t* kOpWindow = L"画面の操作";
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
// A folder that the wizard cannot change without administrator rights: text 1, the folder, text 2;
// a new install adds the hint on the user add-in folder.
inline constexpr const wchar_t* kAdminFolder1 = L"次のフォルダを変更するには、管理者の権限が必要です。\n「 ";
inline constexpr const wchar_t* kAdminFolder2 =
    L" 」\nQuorvel SPを右クリックし、「管理者として実行」で起動し直してください。";
inline constexpr const wchar_t* kAdminUserFolderHint =
    L"\nまたは、アドインフォルダにユーザー用のフォルダ（【１】のフォルダ）を選択してください。";
// Excel cannot open a workbook whose full name is longer than this many UTF-16 units.
inline constexpr const wchar_t* kPathTooLong1 =
    L"インストール先のファイル名が長すぎます。\nExcelが開けるのは、フォルダを含めて218文字までのファイル名です。\n「 ";
inline constexpr const wchar_t* kPathTooLong2 = L" 」";
// The clipboard stayed busy: the path is shown so that the user can still read it.
inline constexpr const wchar_t* kClipboardBusy =
    L"クリップボードが他のプログラムで使用中のため、コピーできませんでした。\nアドインのパスは次のとおりです。\n";

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
