#include "fileinfo/win32/storage_details.h"

#include <array>

#include "fileinfo/win32/summary_reader.h"
#include "platform/error.h"
#include "platform/win32/handles.h"
#include "window/texts.h"

namespace qv::win32 {

namespace {

// The headers of the Japanese details view, ending with an empty one.
constexpr std::array<const wchar_t*, 17> kHeaders = {
    texts::kHeaderName,     texts::kHeaderSize,     texts::kHeaderType,       texts::kHeaderModified,
    texts::kHeaderCreated,  texts::kHeaderAccessed, texts::kHeaderAttributes, texts::kHeaderStatus,
    texts::kHeaderOwner,    texts::kHeaderAuthor,   texts::kHeaderTitle,      texts::kHeaderSubject,
    texts::kHeaderCategory, texts::kHeaderPages,    texts::kHeaderComments,   texts::kHeaderCopyright,
    L""};

class StorageDetails : public FileDetails {
public:
    StorageDetails(std::wstring name, SummaryText summary) : name_(std::move(name)), summary_(std::move(summary)) {}
    std::wstring Header(int column) override {
        return column >= 0 && column < static_cast<int>(kHeaders.size()) ? kHeaders[column] : L"";
    }
    std::wstring Value(int column) override {
        std::wstring h = Header(column);
        if (h == texts::kHeaderName) return name_;
        if (h == texts::kHeaderAuthor) return summary_.author;
        if (h == texts::kHeaderTitle) return summary_.title;
        return L"";
    }

private:
    std::wstring name_;
    SummaryText summary_;
};

}  // namespace

std::unique_ptr<FileDetails> OpenStorageDetails(const std::wstring& folder, const std::wstring& fileName) {
    if (folder.empty())
        throw Failure(texts::kOpFileDetails, SystemMessage(ERROR_PATH_NOT_FOUND) + L" (" + fileName + L")",
                      static_cast<long>(ERROR_PATH_NOT_FOUND));
    std::wstring path = folder;
    if (path.back() != L'\\') path += L'\\';
    path += fileName;
    return std::make_unique<StorageDetails>(fileName, ReadSummary(path));
}

}  // namespace qv::win32
