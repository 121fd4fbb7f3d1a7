#pragma once
// The details provider that asks a file's own summary property set before the shell. The shell
// names its columns in the display language of Windows, so on an English Windows no column is
// named タイトル or 作成者, every add-in would look untitled and Microsoft's own would pass the
// author filter. The summary set knows no display language.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "fileinfo/details.h"
#include "fileinfo/summary_stream.h"

namespace qv {

// The title and author of `fileName` in `folder` from its summary property set; nullopt when
// the file has none (not a compound document, or no summary stream). Throws Failure when there
// is no such file.
using SummarySource =
    std::function<std::optional<SummaryText>(const std::wstring& folder, const std::wstring& fileName)>;
// The shell's details of `fileName` in `folder`; null when the shell cannot give any here.
using ShellSource = std::function<std::unique_ptr<FileDetails>(const std::wstring& folder, const std::wstring& fileName)>;

// `summary` presented under the Japanese details-view headers, with `fileName` under 名前.
std::unique_ptr<FileDetails> SummaryDetails(const std::wstring& fileName, SummaryText summary);

class SummaryFirstProvider : public DetailsProvider {
public:
    SummaryFirstProvider(SummarySource summary, ShellSource shell)
        : summary_(std::move(summary)), shell_(std::move(shell)) {}
    // A file without a summary set and without shell details has no title and no author.
    std::unique_ptr<FileDetails> Open(const std::wstring& folder, const std::wstring& fileName) override;

private:
    SummarySource summary_;
    ShellSource shell_;
};

}  // namespace qv
