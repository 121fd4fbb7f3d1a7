// An add-in's title is read exactly as the wizard reads a file's title, so the title the
// wizard looks up is the one this Excel lists.
#include "com/title.h"

#include "fileinfo/win32/summary_reader.h"
#include "platform/error.h"

namespace qv::standin::com {

std::wstring ReadFileTitle(const std::wstring& fullPath) {
    try {
        return qv::win32::ReadSummary(fullPath).title;
    } catch (const qv::Failure&) {
        return L"";  // no such file: the caller shows the file name instead
    }
}

}  // namespace qv::standin::com
