#include "operations/notice_text.h"

#include "fileinfo/texts.h"
#include "operations/texts.h"
#include "platform/paths.h"
#include "startup/texts.h"

namespace qv {

namespace {

// The user's running Excel: its state, its open workbooks one to a line, the request to quit.
std::wstring RunningExcelText(const Notice& n) {
    std::wstring text = n.hidden ? texts::kExcelRunningHidden : texts::kExcelRunning;
    text += std::wstring(L"\n") + texts::kOpenFilesAre + L"\n";
    if (n.workbookCount > 0) {
        for (const auto& name : n.workbooks) text += texts::kWorkbookIndent + name + L"\n";
        text += std::wstring(texts::kOpenFilesEnd) + L"\n\n";
    } else {
        text += std::wstring(texts::kNoOpenFiles) + L"\n\n";
    }
    return text + texts::kPleaseQuitExcel;
}

}  // namespace

std::wstring FullWidthDrive(const std::wstring& path) {
    // Printable ASCII U+0021..U+007E has its full-width form at U+FF01..U+FF5E.
    std::wstring drive;
    for (wchar_t ch : path.substr(0, 2)) drive += ch >= 0x21 && ch <= 0x7E ? static_cast<wchar_t>(ch + 0xFEE0) : ch;
    return drive;
}

std::wstring JapaneseText(const Notice& n) {
    const std::wstring pid = std::to_wstring(n.processId);
    switch (n.reason) {
        case Reason::ExcelRunning: return RunningExcelText(n);
        case Reason::HiddenExcelRunning: return texts::kHiddenExcelRunning1 + pid + texts::kHiddenExcelRunning2;
        case Reason::EarlierExcelAlive: return texts::kEarlierExcelAlive1 + pid + texts::kEarlierExcelAlive2;
        case Reason::ExcelDidNotEnd: return texts::kExcelDidNotEnd;
        case Reason::StillRegistered: return texts::kStillRegistered;
        case Reason::SwitchedOn: return texts::kOpenQuote + n.title + texts::kAddinSwitchedOn;
        case Reason::TitleConflict: return texts::kTitleConflict;
        case Reason::InvalidFolder: return texts::kInvalidFolder1 + n.folder + texts::kInvalidFolder2;
        case Reason::DriveRefused: return texts::kDriveRefused1 + FullWidthDrive(n.path) + texts::kDriveRefused2;
        case Reason::AdminRights:
            return texts::kAdminFolder1 + n.folder + texts::kAdminFolder2 +
                   (n.userFolderHint ? texts::kAdminUserFolderHint : L"");
        case Reason::PathTooLong: return texts::kPathTooLong1 + n.path + texts::kPathTooLong2;
        case Reason::ReadOnly: return texts::kReadOnlyFile1 + n.path + texts::kReadOnlyFile2;
        case Reason::OtherAccount: return texts::kOtherAccount1 + n.account + texts::kOtherAccount2;
        case Reason::VersionUnsupported: return texts::kVersionUnsupported;
        case Reason::RuntimeMissing: return texts::kRuntimeMissing;
        case Reason::UnsupportedFile: return texts::kUnsupportedFile1 + n.path + texts::kUnsupportedFile2;
        case Reason::NoTitle: return texts::kNoTitle1 + paths::FileNamePart(n.path) + texts::kNoTitle2;
        // Only the console program warns of it; the wizard asked before the copy.
        case Reason::KeptMark: return L"";
        case Reason::MarkNotSet: return texts::kMarkNotSet1 + n.path + texts::kMarkClose;
        case Reason::MarkNotRemoved: return texts::kMarkNotRemoved1 + n.path + texts::kMarkClose;
        case Reason::MarkNotKept: return texts::kMarkNotKept1 + n.path + texts::kMarkClose;
    }
    return L"";
}

}  // namespace qv
