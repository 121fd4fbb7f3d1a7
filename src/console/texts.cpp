#include "console/texts.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "fileinfo/texts.h"
#include "operations/texts.h"
#include "platform/texts.h"
#include "startup/texts.h"

namespace qv::console {

namespace {

// Each wizard text quorvelc can show, or a piece of one, and its English.
const std::vector<std::pair<std::wstring, std::wstring>>& English() {
    static const std::vector<std::pair<std::wstring, std::wstring>> table = [] {
        std::vector<std::pair<std::wstring, std::wstring>> t = {
            {qv::texts::kExcelRunningHidden, L"Excel is running hidden."},
            {qv::texts::kExcelRunning, L"Excel is running."},
            {qv::texts::kOpenFilesAre, L"The open files are:"},
            {qv::texts::kOpenFilesEnd, L"."},
            {qv::texts::kNoOpenFiles, L"none."},
            {qv::texts::kPleaseQuitExcel, L"Please quit Excel."},
            {qv::texts::kVersionUnsupported, L"This Excel version is not supported."},
            {qv::texts::kUnsupportedFile1, L"Not an add-in file = "},
            {qv::texts::kUnsupportedFile2, L" was given.\nThis file is skipped."},
            {qv::texts::kInstallDone, L"\" installed."},
            {qv::texts::kUninstallDone, L"\" uninstalled."},
            {qv::texts::kDeleteDone, L"\" removed."},
            {qv::texts::kOpenQuote, L"\""},
            {qv::texts::kTitleConflict,
             L"An add-in with the same title is listed under another file name.\n"
             L"Stop here, and change the title in the file's properties."},
            {qv::texts::kDriveRefused1, L"This drive ( "},
            {qv::texts::kDriveRefused2, L" ) cannot be chosen."},
            {qv::texts::kInvalidFolder1,
             L"The install folder is not valid.\nGive an existing folder as a full path.\n\" "},
            {qv::texts::kExcelDidNotEnd,
             L"Excel did not end in time, so nothing was deleted.\n"
             L"The add-in may have been switched off.\nWait a moment, then try again."},
            {qv::texts::kAdminFolder1, L"Changing this folder needs administrator rights:\n\" "},
            {qv::texts::kAdminFolder2, L" \"\nRun the program as an administrator."},
            {qv::texts::kAdminUserFolderHint, L"\nOr choose the user add-in folder."},
            {qv::texts::kPathTooLong1,
             L"The installed file's name is too long.\nExcel opens names of up to 218 characters, folder included.\n\" "},
            {qv::texts::kAddinNotListed, L"not in the add-in list: "},
            {qv::texts::kOpExcel, L"Excel"},
            {qv::texts::kOpCopy, L"copying the file"},
            {qv::texts::kOpDelete, L"deleting the file"},
            {qv::texts::kOpClipboard, L"copying to the clipboard"},
            {qv::texts::kOpRegistry, L"changing the registry"},
            {qv::texts::kOpFileDetails, L"reading the file's properties"},
            {qv::texts::kNoTitle1, L"No title is set.\n\" "},
            {qv::texts::kPathTooLong2, L" \""},
        };
        // Longer texts first, so that a text is replaced before a piece of it.
        std::stable_sort(t.begin(), t.end(), [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
        return t;
    }();
    return table;
}

}  // namespace

std::wstring Translate(const std::wstring& text, Lang lang) {
    if (lang != Lang::En) return text;
    std::wstring out = text;
    for (const auto& [ja, en] : English()) {
        for (size_t p = out.find(ja); p != std::wstring::npos; p = out.find(ja, p + en.size()))
            out.replace(p, ja.size(), en);
    }
    return out;
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
