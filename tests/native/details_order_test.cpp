// Title and author come from the file's own summary set, which knows no display language; the
// shell, whose columns carry the language of Windows, only for a file without one.
#include <gtest/gtest.h>

#include "fakes.h"
#include "fileinfo/addin_details.h"
#include "fileinfo/summary_first.h"
#include "window/texts.h"

namespace qv {
namespace {

TEST(DetailsOrder, SummarySetFirstShellOnlyForAFileWithoutOne) {
    struct Case {
        const char* name;
        std::optional<SummaryText> summary;  // nullopt: the file has no summary set
        bool shellWorks;
        std::wstring title, author;
    } cases[] = {
        {"summary set", SummaryText{L"分析ツール", L"Microsoft Corporation"}, true, L"分析ツール", L"Microsoft Corporation"},
        {"summary set without a title", SummaryText{L"", L"山田"}, true, L"", L"山田"},
        {"no summary set: the shell", std::nullopt, true, L"Shell Title", L"Shell Author"},
        {"neither", std::nullopt, false, L"", L""},
    };
    for (const auto& c : cases) {
        fake::FakeDetailsProvider shell;
        shell.Add(L"C:\\Lib\\a.xla", L"Shell Author", L"Shell Title");
        int shellAsked = 0;
        SummaryFirstProvider provider(
            [&](const std::wstring&, const std::wstring&) { return c.summary; },
            [&](const std::wstring& folder, const std::wstring& name) -> std::unique_ptr<FileDetails> {
                ++shellAsked;
                return c.shellWorks ? shell.Open(folder, name) : nullptr;
            });
        EXPECT_EQ(ReadDetail(provider, L"C:\\Lib\\a.xla", texts::kHeaderTitle), c.title) << c.name;
        EXPECT_EQ(IsNotMicrosoftAddin(provider, L"C:\\Lib\\a.xla"), c.author.find(L"Microsoft") == std::wstring::npos)
            << c.name;
        EXPECT_EQ(shellAsked, c.summary ? 0 : 2) << c.name;
    }
}

}  // namespace
}  // namespace qv
