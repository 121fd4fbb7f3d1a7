#include "fileinfo/win32/storage_details.h"

#include "fileinfo/win32/summary_reader.h"
#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/texts.h"

namespace qv::win32 {

std::optional<SummaryText> ReadStorageSummary(const std::wstring& folder, const std::wstring& fileName) {
    if (folder.empty())
        throw Failure(texts::kOpFileDetails, SystemMessage(ERROR_PATH_NOT_FOUND) + L" (" + fileName + L")",
                      static_cast<long>(ERROR_PATH_NOT_FOUND));
    std::wstring path = folder;
    if (path.back() != L'\\') path += L'\\';
    path += fileName;
    return ReadSummarySet(path);
}

}  // namespace qv::win32
