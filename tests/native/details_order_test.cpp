// Title and author come from the file's own summary set before the shell, whose columns carry
// the display language of Windows.
#include <gtest/gtest.h>

#include <map>

#include "fakes.h"
#include "fileinfo/addin_details.h"
#include "fileinfo/summary_first.h"
#include "window/texts.h"

namespace qv {
namespace {

struct Machine {
    std::map<std::wstring, SummaryText> summaries;  // full path -> its summary set; others have none
    bool shellWorks = true;
    std::vector<std::wstring> shellAsked;

    SummaryFirstProvider Provider() {
        return SummaryFirstProvider(
            [this](const std::wstring& folder, const std::wstring& name) -> std::optional<SummaryText> {
                if (name == L"gone.xla") throw Failure(texts::kOpFileDetails, L"not found", 2);
                auto it = summaries.find(folder + L"\\" + name);
                if (it == summaries.end()) return std::nullopt;
                return it->second;
            },
            [this](const std::wstring& folder, const std::wstring& name) -> std::unique_ptr<FileDetails> {
                shellAsked.push_back(folder + L"\\" + name);
                if (!shellWorks) return nullptr;
                return std::make_unique<fake::FakeDetailsProvider::Lookup>(jp_, Japanese(L"Shell Author", L"Shell Title"));
            });
    }
    static fake::FakeFileDetailsData Japanese(const std::wstring& author, const std::wstring& title) {
        fake::FakeDetailsProvider p;
        p.Add(L"x", author, title);
        return p.files[L"x"];
    }

private:
    fake::FakeDetailsProvider jp_;
};

TEST(DetailsOrder, SummarySetFirstShellOnlyForAFileWithoutOne) {
    struct Case {
        const char* name;
        std::wstring file;
        bool hasSummary;
        bool shellWorks;
        std::wstring title, author;
        bool shellAsked;
    };
    const Case cases[] = {
        {"summary with title and author", L"C:\\A\\tool.xla", true, true, L"ツール", L"山田", false},
        {"summary set without a title stays untitled", L"C:\\A\\bare.xla", true, true, L"", L"", false},
        {"no summary set: the shell", L"C:\\A\\plain.xla", false, true, L"Shell Title", L"Shell Author", true},
        {"no summary set, no shell details", L"C:\\A\\plain.xla", false, false, L"", L"", true},
    };
    for (const auto& c : cases) {
        Machine m;
        m.shellWorks = c.shellWorks;
        if (c.hasSummary) m.summaries[c.file] = {c.title, c.author};
        auto provider = m.Provider();
        EXPECT_EQ(ReadDetail(provider, c.file, texts::kHeaderTitle), c.title) << c.name;
        EXPECT_EQ(ReadDetail(provider, c.file, texts::kHeaderAuthor), c.author) << c.name;
        EXPECT_EQ(!m.shellAsked.empty(), c.shellAsked) << c.name;
    }
}

TEST(DetailsOrder, TitleCheckAndAuthorFilterKeepTheirRulesWhateverTheDisplayLanguage) {
    Machine m;
    m.summaries[L"C:\\Lib\\analys32.xla"] = {L"分析ツール", L"Microsoft Corporation"};
    m.summaries[L"C:\\Lib\\mine.xla"] = {L"", L"山田"};
    auto provider = m.Provider();
    fake::FakeMessageBoxes msg;

    EXPECT_FALSE(IsNotMicrosoftAddin(provider, L"C:\\Lib\\analys32.xla"));
    EXPECT_TRUE(IsNotMicrosoftAddin(provider, L"C:\\Lib\\mine.xla"));
    EXPECT_EQ(GetAddinFileTitle(provider, msg, L"C:\\Lib\\analys32.xla"), L"分析ツール");
    EXPECT_TRUE(msg.shown.empty());
    EXPECT_EQ(GetAddinFileTitle(provider, msg, L"C:\\Lib\\mine.xla"), L"");
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, texts::kNoTitle1 + std::wstring(L"mine.xla") + texts::kNoTitle2);
    EXPECT_TRUE(m.shellAsked.empty());
    // A file that is gone has no details, and is not taken for Microsoft's.
    EXPECT_TRUE(IsNotMicrosoftAddin(provider, L"C:\\Lib\\gone.xla"));
}

}  // namespace
}  // namespace qv
