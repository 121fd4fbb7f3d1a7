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
};

// The text after `prefix` when `text` starts with it.
std::optional<std::wstring> After(const std::wstring& text, const std::wstring& prefix) {
    if (text.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    return text.substr(prefix.size());
}

}  // namespace

std::wstring NoticeText(const Notice& n, Lang lang) { return lang == Lang::En ? EnglishText(n) : JapaneseText(n); }

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
  quorvelc install FILE... [--folder user|library|PATH]
                                         install, or install a newer version, and switch on
  quorvelc on NAME...                    switch listed add-ins on
  quorvelc off NAME...                   switch listed add-ins off
  quorvelc remove NAME...                remove add-ins completely (file, list entry)
  quorvelc tidy [--dry-run]              remove list entries whose file is gone
  quorvelc where NAME                    print the add-in's full path

NAME is a full path (it contains "\"; letter case does not matter), a file name
(letter case does not matter) or a title (exact). A NAME that matches more than one
add-in is refused.

Options:
  --json                one JSON document on standard output, errors included
  --lang ja|en          the language of the output (Japanese by default)
  --allow-newer-excel   go on with an Excel newer than 2003 (every current Excel is 16.0)
  --timeout SECONDS     end quorvelc's own Excel when a call to it has not returned after
                        this long (an add-in showing a message nobody sees); 120 by default
  --help                this text

Exit codes (with several FILEs or NAMEs, the highest one met):
  0  done, or nothing to do
  1  refused (an Excel that quorvelc did not start is running, or its version is not supported)
  2  bad arguments
  3  an add-in was not found, or the NAME is ambiguous
  4  failed with nothing changed (also: quorvelc's Excel of an earlier step did not end in time)
  5  failed after a change (the output says what changed)
)";
    return LR"(quorvelc: Quorvel SP のアドイン操作を、スクリプトや配布ツールから実行します。

使い方:
  quorvelc list [--json]                 Excelのアドインリスト
  quorvelc install FILE... [--folder user|library|PATH]
                                         新規インストールまたはバージョンアップし、動作中にします
  quorvelc on NAME...                    アドインを動作中にします
  quorvelc off NAME...                   アドインを非動作中にします
  quorvelc remove NAME...                アドインを完全削除します（ファイル、アドインリスト）
  quorvelc tidy [--dry-run]              ファイルが存在しないアドインをアドインリストから削除します
  quorvelc where NAME                    アドインのフルパスを表示します

NAME は、フルパス（"\" を含むもの。大文字と小文字は区別しません）、ファイル名（大文字と
小文字は区別しません）、またはタイトル（完全一致）です。複数のアドインに該当する NAME は
実行しません。

オプション:
  --json                標準出力に一つのJSON文書を出力します（エラーを含む）
  --lang ja|en          出力の言語（既定は日本語）
  --allow-newer-excel   Excel 2003 より新しいExcelでも続行します（現在のExcelはすべて16.0）
  --timeout SECONDS     quorvelc のExcelへの呼び出しがこの秒数を過ぎても戻らないとき、そのExcelを
                        終了します（アドインが誰にも見えないメッセージを表示している場合）。既定は120
  --help                この説明

終了コード（複数の FILE や NAME では、そのうち最も大きいもの）:
  0  完了、または変更なし
  1  中止（quorvelc が起動していないExcelが動作中、またはサポート対象外のバージョン）
  2  引数が正しくない
  3  アドインが見つからない、または NAME が複数に該当する
  4  失敗（何も変更していない。前の処理の quorvelc のExcelが時間内に終了しなかった場合も）
  5  変更の後で失敗（何が変更されたかを出力します）
)";
}

}  // namespace qv::console
