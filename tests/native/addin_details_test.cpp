#include <gtest/gtest.h>

#include "fakes.h"
#include "window/steps.h"
#include "fileinfo/addin_details.h"
#include "window/texts.h"

namespace qv {
namespace {

const std::wstring kTool = L"C:\\Addins\\tool.xla";

// The warning shown for a file without a title.
std::wstring NoTitleWarning(const std::wstring& fileName) {
    return std::wstring(texts::kNoTitle1) + fileName + texts::kNoTitle2;
}

// A details row with `headers`, the value of column i being `values[i]` (empty past its end).
void AddRow(fake::FakeDetailsProvider& p, const std::wstring& path, std::vector<std::wstring> headers,
            std::vector<std::wstring> values) {
    values.resize(headers.size());
    p.files[path] = {std::move(headers), std::move(values)};
}

// `count` filler columns, then `header` with `value`.
void AddAfterFillers(fake::FakeDetailsProvider& p, const std::wstring& path, int count, const std::wstring& header,
                     const std::wstring& value) {
    std::vector<std::wstring> headers(static_cast<size_t>(count), L"Column");
    headers.push_back(header);
    std::vector<std::wstring> values(static_cast<size_t>(count));
    values.push_back(value);
    AddRow(p, path, headers, values);
}

// Records how the path was split and which values were read.
class RecordingProvider : public DetailsProvider {
public:
    std::vector<std::pair<std::wstring, std::wstring>> opened;
    std::vector<int> valuesRead;
    std::vector<std::wstring> headers{texts::kHeaderAuthor, texts::kHeaderTitle};
    std::vector<std::wstring> values{L"someone", L"A title"};
    bool failInHeader = false;

    std::unique_ptr<FileDetails> Open(const std::wstring& folder, const std::wstring& name) override {
        opened.emplace_back(folder, name);
        return std::make_unique<Lookup>(*this);
    }

private:
    class Lookup : public FileDetails {
    public:
        explicit Lookup(RecordingProvider& p) : p_(p) {}
        std::wstring Header(int c) override {
            if (p_.failInHeader) throw Failure(texts::kOpFileDetails, L"gone", 2);
            return c < static_cast<int>(p_.headers.size()) ? p_.headers[c] : L"";
        }
        std::wstring Value(int c) override {
            p_.valuesRead.push_back(c);
            return c < static_cast<int>(p_.values.size()) ? p_.values[c] : L"";
        }

    private:
        RecordingProvider& p_;
    };
};

TEST(IsNotMicrosoftAddin, AuthorContainingMicrosoftInAnyCaseIsMicrosofts) {
    struct Case { const wchar_t* author; bool notMicrosoft; };
    const Case cases[] = {
        {L"Microsoft Corporation", false},
        {L"MICROSOFT", false},
        {L"made by microsoft", false},
        {L"mIcRoSoFt", false},
        {L"Microsoft", false},
        {L"(c)Microsoft(R)", false},
        {L"Micro Soft", true},
        {L"Microsof", true},
        {L"icrosoft", true},
        {L"山田 太郎", true},
        {L"", true},
    };
    for (const auto& c : cases) {
        fake::FakeDetailsProvider p;
        p.Add(kTool, c.author, L"Tool");
        EXPECT_EQ(IsNotMicrosoftAddin(p, kTool), c.notMicrosoft) << c.author;
    }
}

TEST(IsNotMicrosoftAddin, AnyAuthorColumnNamingMicrosoftCounts) {
    fake::FakeDetailsProvider p;
    AddRow(p, kTool, {texts::kHeaderAuthor, texts::kHeaderTitle, texts::kHeaderAuthor}, {L"someone", L"T", L"Microsoft"});
    EXPECT_FALSE(IsNotMicrosoftAddin(p, kTool));
}

TEST(IsNotMicrosoftAddin, ColumnsAfterTheFirstEmptyHeaderAreNeverReached) {
    fake::FakeDetailsProvider p;
    AddRow(p, kTool, {texts::kHeaderName, L"", texts::kHeaderAuthor}, {L"tool.xla", L"", L"Microsoft"});
    EXPECT_TRUE(IsNotMicrosoftAddin(p, kTool));
    EXPECT_EQ(p.headerReads, 2);  // the scan stopped at the empty header
}

TEST(IsNotMicrosoftAddin, ColumnsAbove60AreNeverLookedAt) {
    struct Case { int column; bool notMicrosoft; };
    const Case cases[] = {{59, false}, {kMaxDetailColumn, false}, {kMaxDetailColumn + 1, true}, {70, true}};
    for (const auto& c : cases) {
        fake::FakeDetailsProvider p;
        AddAfterFillers(p, kTool, c.column, texts::kHeaderAuthor, L"Microsoft");
        EXPECT_EQ(IsNotMicrosoftAddin(p, kTool), c.notMicrosoft) << "author in column " << c.column;
        EXPECT_LE(p.headerReads, kMaxDetailColumn + 1) << "author in column " << c.column;
    }
}

TEST(IsNotMicrosoftAddin, HeadersThatAreNotJapaneseNeverMatch) {
    fake::FakeDetailsProvider p;
    AddRow(p, kTool, {L"Name", L"Size", L"Author", L"Title"}, {L"tool.xla", L"1 KB", L"Microsoft", L"Tool"});
    EXPECT_TRUE(IsNotMicrosoftAddin(p, kTool));
}

TEST(IsNotMicrosoftAddin, HeadersAreComparedExactly) {
    const std::wstring near[] = {std::wstring(texts::kHeaderAuthor) + L" ", std::wstring(L" ") + texts::kHeaderAuthor,
                                 std::wstring(texts::kHeaderAuthor).substr(0, 2)};
    for (const auto& h : near) {
        fake::FakeDetailsProvider p;
        AddRow(p, kTool, {h}, {L"Microsoft"});
        EXPECT_TRUE(IsNotMicrosoftAddin(p, kTool));
    }
}

TEST(IsNotMicrosoftAddin, FileWhoseDetailsCannotBeReadIsAUsersAddin) {
    fake::FakeDetailsProvider p;  // knows no file: every Open fails
    EXPECT_TRUE(IsNotMicrosoftAddin(p, L"C:\\Gone\\tool.xla"));
    EXPECT_TRUE(IsNotMicrosoftAddin(p, L"tool.xla"));
    EXPECT_EQ(p.opened.size(), 2u);

    RecordingProvider failing;
    failing.values = {L"Microsoft", L""};
    failing.failInHeader = true;
    EXPECT_TRUE(IsNotMicrosoftAddin(failing, kTool));
}

// The title, with the warning for a missing one told as the wizard tells it.
std::wstring TitleTold(DetailsProvider& details, MessageBoxes& msg, const std::wstring& path) {
    const FileTitle read = GetAddinFileTitle(details, path);
    if (read.warning) ShowNotice(msg, *read.warning);
    return read.title;
}

TEST(GetAddinFileTitle, TitleIsReturnedUnchangedWithoutAMessage) {
    const std::wstring titles[] = {L"Tool", L" 日付 ヘルパー ", L"売上集計ツール", L"a\tb"};
    for (const auto& t : titles) {
        fake::FakeDetailsProvider p;
        fake::FakeMessageBoxes msg;
        p.Add(kTool, L"Microsoft", t);
        EXPECT_EQ(TitleTold(p, msg, kTool), t);
        EXPECT_TRUE(msg.shown.empty()) << t;
    }
}

TEST(GetAddinFileTitle, NoTitleWarnsWithTheFileNameInBrackets) {
    fake::FakeDetailsProvider p;
    fake::FakeMessageBoxes msg;
    p.Add(kTool, L"someone", L"");
    EXPECT_EQ(TitleTold(p, msg, kTool), L"");
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, NoTitleWarning(L"tool.xla"));
    EXPECT_EQ(msg.shown[0].title, L"Quorvel SP");
    EXPECT_EQ(msg.shown[0].flags, 16);
    // One line feed between the lines, one blank inside each bracket.
    const std::wstring& text = msg.shown[0].text;
    EXPECT_EQ(text.find(L'\r'), std::wstring::npos);
    EXPECT_EQ(text.substr(text.find(L'\n') + 1), std::wstring(texts::kOpenQuote) + L" tool.xla" + texts::kNoTitle2);
    EXPECT_EQ(std::wstring(texts::kNoTitle2).front(), L' ');
}

TEST(GetAddinFileTitle, EveryWayOfHavingNoTitleWarnsAndGivesEmptyText) {
    struct Case {
        const char* what;
        std::vector<std::wstring> headers;
        std::vector<std::wstring> values;
    };
    const Case cases[] = {
        {"empty title value", {texts::kHeaderName, texts::kHeaderTitle}, {L"tool.xla", L""}},
        {"no title column", {texts::kHeaderName, texts::kHeaderAuthor}, {L"tool.xla", L"x"}},
        {"title after an empty header", {texts::kHeaderName, L"", texts::kHeaderTitle}, {L"tool.xla", L"", L"T"}},
        {"English headers", {L"Name", L"Title"}, {L"tool.xla", L"T"}},
        {"no columns at all", {}, {}},
    };
    for (const auto& c : cases) {
        fake::FakeDetailsProvider p;
        fake::FakeMessageBoxes msg;
        AddRow(p, kTool, c.headers, c.values);
        EXPECT_EQ(TitleTold(p, msg, kTool), L"") << c.what;
        ASSERT_EQ(msg.shown.size(), 1u) << c.what;
        EXPECT_EQ(msg.shown[0].text, NoTitleWarning(L"tool.xla")) << c.what;
    }
}

TEST(GetAddinFileTitle, TitleColumnBoundIsSixty) {
    struct Case { int column; const wchar_t* expected; };
    const Case cases[] = {{kMaxDetailColumn, L"Edge"}, {kMaxDetailColumn + 1, L""}};
    for (const auto& c : cases) {
        fake::FakeDetailsProvider p;
        fake::FakeMessageBoxes msg;
        AddAfterFillers(p, kTool, c.column, texts::kHeaderTitle, L"Edge");
        EXPECT_EQ(TitleTold(p, msg, kTool), c.expected) << c.column;
        EXPECT_EQ(msg.shown.size(), std::wstring(c.expected).empty() ? 1u : 0u) << c.column;
    }
}

TEST(GetAddinFileTitle, UnreadableFileWarnsAndGivesEmptyText) {
    fake::FakeDetailsProvider p;
    fake::FakeMessageBoxes msg;
    EXPECT_EQ(TitleTold(p, msg, L"D:\\Gone\\Old Tool.xla"), L"");
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, NoTitleWarning(L"Old Tool.xla"));
    EXPECT_EQ(msg.shown[0].flags, kMbCritical);
}

TEST(ReadDetail, PathIsSplitAtTheLastBackslash) {
    struct Case { const wchar_t* path; const wchar_t* folder; const wchar_t* name; };
    const Case cases[] = {
        {L"C:\\A\\B\\tool.xla", L"C:\\A\\B", L"tool.xla"},
        {L"C:\\tool.xla", L"C:", L"tool.xla"},
        {L"\\\\srv\\share\\my tool.xla", L"\\\\srv\\share", L"my tool.xla"},
        {L"tool.xla", L"", L"tool.xla"},
    };
    for (const auto& c : cases) {
        RecordingProvider p;
        EXPECT_EQ(ReadDetail(p, c.path, texts::kHeaderTitle), L"A title") << c.path;
        ASSERT_EQ(p.opened.size(), 1u);
        EXPECT_EQ(p.opened[0].first, c.folder) << c.path;
        EXPECT_EQ(p.opened[0].second, c.name) << c.path;
    }
}

TEST(ReadDetail, ReadsOnlyTheFirstMatchingColumnsValue) {
    RecordingProvider p;
    p.headers = {texts::kHeaderName, texts::kHeaderTitle, texts::kHeaderTitle};
    p.values = {L"tool.xla", L"First", L"Second"};
    EXPECT_EQ(ReadDetail(p, kTool, texts::kHeaderTitle), L"First");
    EXPECT_EQ(p.valuesRead, std::vector<int>{1});
}

TEST(ReadDetail, EachLookupOpensTheFileAgain) {
    fake::FakeDetailsProvider p;
    p.Add(kTool, L"a", L"T");
    ReadDetail(p, kTool, texts::kHeaderTitle);
    IsNotMicrosoftAddin(p, kTool);
    EXPECT_EQ(p.opened, (std::vector<std::wstring>{kTool, kTool}));
}

}  // namespace
}  // namespace qv
