#include "fileinfo/summary_first.h"

#include <array>

#include "fileinfo/texts.h"

namespace qv {

namespace {

// The headers of the Japanese details view, ending with an empty one.
constexpr std::array<const wchar_t*, 17> kHeaders = {
    texts::kHeaderName,     texts::kHeaderSize,     texts::kHeaderType,       texts::kHeaderModified,
    texts::kHeaderCreated,  texts::kHeaderAccessed, texts::kHeaderAttributes, texts::kHeaderStatus,
    texts::kHeaderOwner,    texts::kHeaderAuthor,   texts::kHeaderTitle,      texts::kHeaderSubject,
    texts::kHeaderCategory, texts::kHeaderPages,    texts::kHeaderComments,   texts::kHeaderCopyright,
    L""};

class PresentedSummary : public FileDetails {
public:
    PresentedSummary(std::wstring name, SummaryText summary) : name_(std::move(name)), summary_(std::move(summary)) {}
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

std::unique_ptr<FileDetails> SummaryDetails(const std::wstring& fileName, SummaryText summary) {
    return std::make_unique<PresentedSummary>(fileName, std::move(summary));
}

std::unique_ptr<FileDetails> SummaryFirstProvider::Open(const std::wstring& folder, const std::wstring& fileName) {
    if (auto summary = summary_(folder, fileName)) return SummaryDetails(fileName, std::move(*summary));
    if (auto shell = shell_(folder, fileName)) return shell;
    return SummaryDetails(fileName, {});
}

}  // namespace qv
