#include "console/texts.h"

#include <optional>
#include <utility>

#include "operations/notice_text.h"
#include "operations/texts.h"
#include "platform/paths.h"
#include "platform/texts.h"

namespace qv::console {

namespace {

std::wstring RunningExcelEnglish(const Notice& n) {
    std::wstring text = n.hidden ? L"Excel is running hidden." : L"Excel is running.";
    text += L"\nThe open files are:\n";
    if (n.workbookCount > 0) {
        for (const auto& name : n.workbooks) text += L"  " + name + L"\n";
    } else {
        text += L"none.\n";
    }
    return text + L"\nPlease quit Excel.";
}

std::wstring EnglishText(const Notice& n) {
    const std::wstring pid = std::to_wstring(n.processId);
    switch (n.reason) {
        case Reason::ExcelRunning: return RunningExcelEnglish(n);
        case Reason::HiddenExcelRunning:
            return L"A hidden Excel (process id " + pid +
                   L") is running, so nothing was changed.\nEnd it in Task Manager, then try again.";
        case Reason::EarlierExcelAlive:
            return L"The Excel of an earlier step (process id " + pid +
                   L") did not end in time, so nothing was changed.\nWait a moment, then try again.";
        case Reason::ExcelDidNotEnd:
            return L"Excel did not end in time, so nothing was deleted.\n"
                   L"The add-in may have been switched off.\nWait a moment, then try again.";
        case Reason::StillRegistered:
            return L"Excel still lists the add-in after it ended, so nothing was deleted.\n"
                   L"Quit every Excel, then try again.";
        case Reason::SwitchedOn: return L"\"" + n.title + L"\" is switched on in Excel.";
        case Reason::TitleConflict:
            return L"An add-in with the same title is listed under another file name.\n"
                   L"Stop here, and change the title in the file's properties.";
        case Reason::InvalidFolder:
            return L"The install folder is not valid.\nGive an existing folder as a full path.\n\" " + n.folder + L" \"";
        case Reason::DriveRefused: return L"This drive ( " + n.path.substr(0, 2) + L" ) cannot be chosen.";
        case Reason::AdminRights:
            return L"Changing this folder needs administrator rights:\n\" " + n.folder +
                   L" \"\nRun the program as an administrator." +
                   (n.userFolderHint ? L"\nOr choose the user add-in folder." : L"");
        case Reason::PathTooLong:
            return L"The installed file's name is too long.\n"
                   L"Excel opens names of up to 218 characters, folder included.\n\" " + n.path + L" \"";
        case Reason::ReadOnly:
            return L"This file is read-only, so it cannot be deleted or replaced:\n\" " + n.path +
                   L" \"\nClear \"Read-only\" in the file's properties, then try again.";
        case Reason::OtherAccount:
            return L"quorvelc runs as another user ( " + n.account +
                   L" ) than the one logged on to the desktop.\nAdd-ins belong to each user: run it as the user "
                   L"whose Excel it changes (Intune: \"User\" context).";
        case Reason::KeptMark:
            return L"The installed copy keeps the file's mark of the web; Excel may not run its macros "
                   L"(--unblock removes the mark): " + n.path;
        case Reason::MarkNotSet:
            return L"The install is done, but the installed file could not be given the file's mark of the web: " +
                   n.path;
        case Reason::MarkNotRemoved:
            return L"The install is done, but the mark of the web could not be removed from the installed file; "
                   L"Excel may not run its macros (tick \"Unblock\" in the file's properties): " + n.path;
        case Reason::MarkNotKept:
            return L"The install is done, but the installed file's drive keeps no mark of the web, so the file "
                   L"has none: " + n.path;
        case Reason::VersionUnsupported: return L"This Excel version is not supported.";
        case Reason::RuntimeMissing: return L"The VB6.0 runtime is missing.";
        case Reason::UnsupportedFile: return L"Not an add-in file = " + n.path + L" was given.\nThis file is skipped.";
        case Reason::NoTitle: return L"No title is set.\n\" " + paths::FileNamePart(n.path) + L" \"";
    }
    return L"";
}

// The operation names a failure can carry, and their English.
const std::pair<const wchar_t*, const wchar_t*> kOperations[] = {
    {qv::texts::kOpExcel, L"Excel"},
    {qv::texts::kOpCopy, L"copying the file"},
    {qv::texts::kOpDelete, L"deleting the file"},
    {qv::texts::kOpClipboard, L"copying to the clipboard"},
    {qv::texts::kOpRegistry, L"changing the registry"},
    {qv::texts::kOpFileDetails, L"reading the file's properties"},
    {qv::texts::kOpWindow, L"the window"},
    {qv::texts::kOpCreateFolder, L"creating the folder"},
};

// The text after `prefix` when `text` starts with it.
std::optional<std::wstring> After(const std::wstring& text, const std::wstring& prefix) {
    if (text.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    return text.substr(prefix.size());
}

}  // namespace

std::wstring NoticeText(const Notice& n, Lang lang) {
    if (lang == Lang::En) return EnglishText(n);
    // The wizard's texts name its own ways out; quorvelc's have their own.
    if (n.reason == Reason::OtherAccount)
        return L"quorvelc は、デスクトップにログオンしているユーザーとは別のユーザー（ " + n.account +
               L" ）として実行されています。\nアドインはユーザーごとに登録されるため、Excelを変更するユーザーとして"
               L"実行してください（Intune では「ユーザー」コンテキスト）。";
    if (n.reason == Reason::KeptMark)
        return L"インストールしたファイルには、インターネットから取得したファイルとしての印が残っています。"
               L"Excelがマクロを実行しない場合があります（--unblock で印を残さずにインストールします）：" + n.path;
    return JapaneseText(n);
}

const char* ReasonCode(Reason r) {
    switch (r) {
        case Reason::ExcelRunning:
        case Reason::HiddenExcelRunning: return "excel-running";
        case Reason::EarlierExcelAlive:
        case Reason::ExcelDidNotEnd: return "excel-not-ended";
        case Reason::StillRegistered: return "still-registered";
        case Reason::SwitchedOn: return "switched-on";
        case Reason::TitleConflict: return "title-conflict";
        case Reason::InvalidFolder: return "invalid-folder";
        case Reason::DriveRefused: return "drive-refused";
        case Reason::AdminRights: return "admin-rights";
        case Reason::PathTooLong: return "path-too-long";
        case Reason::ReadOnly: return "read-only";
        case Reason::OtherAccount: return "wrong-account";
        case Reason::KeptMark: return "marked-from-internet";
        case Reason::MarkNotSet: return "mark-not-set";
        case Reason::MarkNotRemoved: return "mark-not-removed";
        case Reason::MarkNotKept: return "mark-not-kept";
        case Reason::VersionUnsupported: return "excel-version";
        case Reason::RuntimeMissing: return "runtime-missing";
        case Reason::UnsupportedFile: return "not-xla";
        case Reason::NoTitle: return "no-title";
    }
    return "failed";
}

std::wstring OperationText(const std::wstring& operation, Lang lang) {
    if (lang != Lang::En) return operation;
    for (const auto& [ja, en] : kOperations)
        if (auto rest = After(operation, ja)) return en + *rest;
    return operation;
}

std::wstring DetailText(const std::wstring& detail, Lang lang) {
    if (lang != Lang::En) return detail;
    if (auto name = After(detail, qv::texts::kAddinNotListed)) return L"not in the add-in list: " + *name;
    return detail;
}

std::wstring DoneText(Done d, const std::wstring& title, Lang lang) {
    if (lang == Lang::En) {
        const wchar_t* what = d == Done::Installed ? L"\" installed." : d == Done::Uninstalled ? L"\" uninstalled." : L"\" removed.";
        return L"\"" + title + what;
    }
    const wchar_t* ending = d == Done::Installed     ? qv::texts::kInstallDone
                            : d == Done::Uninstalled ? qv::texts::kUninstallDone
                                                     : qv::texts::kDeleteDone;
    return qv::texts::kOpenQuote + title + ending;
}

std::wstring HelpText(Lang lang) {
    if (lang == Lang::En)
        return LR"(quorvelc: Quorvel SP's add-in operations, for scripts and deployment tools.

Usage:
  quorvelc list [--json]                 Excel's add-in list
  quorvelc install FILE... [--folder user|library|PATH] [--unblock]
                                         install, or install a newer version, and switch on
  quorvelc on NAME...                    switch listed add-ins on
  quorvelc off NAME...                   switch listed add-ins off
  quorvelc remove NAME... [--if-present] [--permanent]
                                         remove add-ins completely (file, list entry); the file
                                         goes to the Recycle Bin where its drive has one; a file
                                         on the network (\\server\... or a network drive) stays
  quorvelc tidy [--dry-run]              remove list entries whose file is gone
  quorvelc where NAME                    print the add-in's full path
  quorvelc status FILE...                detection: is each FILE installed, switched on and
  quorvelc status NAME --sha256 HEX      identical (or of that SHA-256)? Never starts Excel,
                                         so it works while the user's Excel runs
  quorvelc doctor [NAME...]              diagnose listed add-ins; changes nothing

Only .xla add-ins are handled (.xlam is not). quorvelc changes the Excel of the user who runs
it: run it as that user (Intune: "User" context), never as SYSTEM or another account.

NAME is a full path (it contains "\"; letter case does not matter), a file name
(letter case does not matter) or a title (exact). A NAME that matches more than one
add-in is refused.

Options:
  --json                one JSON document on standard output, errors included; pure ASCII
                        (other characters as \u escapes)
  --lang ja|en          the language of the output (Japanese by default); titles, paths and
                        Windows' own texts are never translated
  --utf8                write UTF-8 to a pipe or file; without it the console's code page is
                        used (the ANSI code page without a console), and characters it cannot
                        hold become "?"
  --allow-newer-excel   go on with an Excel newer than 2003 (every current Excel is 16.0)
  --unblock             install: the installed copy does not keep the file's mark of the web
                        (without it the mark stays, and a warning says so)
  --if-present          remove: an add-in that is not listed counts as done
  --permanent           remove: delete the file for good, not to the Recycle Bin
  --timeout SECONDS     end quorvelc's own Excel when a call to it has not returned after
                        this long (an add-in showing a message nobody sees); 120 by default
  --version             the program's version
  --help                this text

Results and list go to standard output; refusals, failures and warnings to standard error.

Exit codes (with several FILEs or NAMEs, the first of 6, 7, 2, 5, 1618, 4, 3, 1, 0 met):
  0     done, nothing to do, detected (status), or healthy (doctor)
  1     the answer is no: not detected (status), or something found wrong (doctor)
  2     bad arguments
  3     not found or ambiguous
  4     failed, nothing changed
  5     failed after a change (the output says what changed)
  6     wrong account (another user's, or LocalSystem)
  7     cannot run here: Excel missing or not startable, or its version not allowed
        without --allow-newer-excel
  1618  try again later: the user's Excel is running, or an Excel of quorvelc's own has not
        ended; nothing was touched for the items refused
)";
    return LR"(quorvelc: Quorvel SP のアドイン操作を、スクリプトや配布ツールから実行します。

使い方:
  quorvelc list [--json]                 Excelのアドインリスト
  quorvelc install FILE... [--folder user|library|PATH] [--unblock]
                                         新規インストールまたはバージョンアップし、動作中にします
  quorvelc on NAME...                    アドインを動作中にします
  quorvelc off NAME...                   アドインを非動作中にします
  quorvelc remove NAME... [--if-present] [--permanent]
                                         アドインを完全削除します（ファイル、アドインリスト）。
                                         ファイルは、ドライブにごみ箱があればごみ箱に移します。
                                         ネットワーク上（\\server\... やネットワークドライブ）の
                                         ファイルは残します
  quorvelc tidy [--dry-run]              ファイルが存在しないアドインをアドインリストから削除します
  quorvelc where NAME                    アドインのフルパスを表示します
  quorvelc status FILE...                検出：各 FILE がインストール済みで動作中、かつ同じ内容
  quorvelc status NAME --sha256 HEX      （または同じ SHA-256）かを調べます。Excelを起動しないため、
                                         ユーザーのExcelが動作中でも使えます
  quorvelc doctor [NAME...]              アドインを診断します（何も変更しません）

扱うのは .xla のアドインだけです（.xlam は扱いません）。quorvelc は、実行したユーザーの
Excelを変更します。そのユーザーとして実行してください（Intune では「ユーザー」コンテキスト）。
SYSTEM や別のアカウントでは実行しません。

NAME は、フルパス（"\" を含むもの。大文字と小文字は区別しません）、ファイル名（大文字と
小文字は区別しません）、またはタイトル（完全一致）です。複数のアドインに該当する NAME は
実行しません。

オプション:
  --json                標準出力に一つのJSON文書を出力します（エラーを含む）。ASCII文字だけで
                        書きます（その他の文字は \u エスケープ）
  --lang ja|en          出力の言語（既定は日本語）。タイトル、パス、Windowsのメッセージは翻訳しません
  --utf8                パイプやファイルへの出力をUTF-8にします。指定しないときは、コンソールの
                        コードページ（コンソールがないときはANSIコードページ）で書き、そのコード
                        ページにない文字は「?」になります
  --allow-newer-excel   Excel 2003 より新しいExcelでも続行します（現在のExcelはすべて16.0）
  --unblock             install：インストールしたファイルに、インターネットから取得したファイル
                        としての印（ブロック）を残しません（指定しないときは残し、警告します）
  --if-present          remove：アドインリストにないアドインは、削除済みとして扱います
  --permanent           remove：ファイルをごみ箱に移さず、完全に削除します
  --timeout SECONDS     quorvelc のExcelへの呼び出しがこの秒数を過ぎても戻らないとき、そのExcelを
                        終了します（アドインが誰にも見えないメッセージを表示している場合）。既定は120
  --version             バージョンを表示します
  --help                この説明

結果と一覧は標準出力に、中止・失敗・警告は標準エラー出力に書きます。

終了コード（複数の FILE や NAME では、6, 7, 2, 5, 1618, 4, 3, 1, 0 の順で最初に該当したもの）:
  0     完了、変更なし、検出あり（status）、問題なし（doctor）
  1     答えが「いいえ」：検出なし（status）、問題あり（doctor）
  2     引数が正しくない
  3     見つからない、または複数に該当する
  4     失敗（何も変更していない）
  5     変更の後で失敗（何が変更されたかを出力します）
  6     アカウントが違う（別のユーザー、または LocalSystem）
  7     ここでは実行できない：Excelがない、起動できない、または --allow-newer-excel なしでは
        扱わないバージョン
  1618  後で再実行：ユーザーのExcelが動作中、または quorvelc のExcelがまだ終了していない
        （中止した対象には何も変更していません）
)";
}

}  // namespace qv::console
