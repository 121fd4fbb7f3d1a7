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

// Where the author column is looked for: every column headed 作成者 exactly, up to the first
// empty header.
TEST(IsNotMicrosoftAddin, OnlyExactJapaneseAuthorHeadersBeforeAnEmptyOneCount) {
    const std::wstring author = texts::kHeaderAuthor;
    struct Case { const char* what; std::vector<std::wstring> headers, values; bool notMicrosoft; int headerReads; } cases[] = {
        {"a second author column", {author, texts::kHeaderTitle, author}, {L"someone", L"T", L"Microsoft"}, false, -1},
        {"after an empty header", {texts::kHeaderName, L"", author}, {L"tool.xla", L"", L"Microsoft"}, true, 2},
        {"English headers", {L"Name", L"Author"}, {L"tool.xla", L"Microsoft"}, true, -1},
        {"a blank after", {author + L" "}, {L"Microsoft"}, true, -1},
        {"a blank before", {L" " + author}, {L"Microsoft"}, true, -1},
        {"a part of it", {author.substr(0, 2)}, {L"Microsoft"}, true, -1},
    };
    for (const auto& c : cases) {
        fake::FakeDetailsProvider p;
        AddRow(p, kTool, c.headers, c.values);
        EXPECT_EQ(IsNotMicrosoftAddin(p, kTool), c.notMicrosoft) << c.what;
        if (c.headerReads >= 0) {
            EXPECT_EQ(p.headerReads, c.headerReads) << c.what << ": the scan goes no further";
        }
    }
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

// The title as it stands, or, for every way of having none, empty text and one warning naming
// the file.
TEST(GetAddinFileTitle, TitleAsItStandsOrOneWarningNamingTheFile) {
    const std::wstring title = texts::kHeaderTitle, name = texts::kHeaderName;
    struct Case { const char* what; std::vector<std::wstring> headers, values; const wchar_t* expected; } cases[] = {
        {"plain", {name, title}, {L"tool.xla", L"Tool"}, L"Tool"},
        {"blanks and Japanese kept", {title}, {L" 日付 ヘルパー "}, L" 日付 ヘルパー "},
        {"a tab kept", {title}, {L"a\tb"}, L"a\tb"},
        {"empty title value", {name, title}, {L"tool.xla", L""}, L""},
        {"no title column", {name, texts::kHeaderAuthor}, {L"tool.xla", L"x"}, L""},
        {"title after an empty header", {name, L"", title}, {L"tool.xla", L"", L"T"}, L""},
        {"English headers", {L"Name", L"Title"}, {L"tool.xla", L"T"}, L""},
        {"no columns at all", {}, {}, L""},
    };
    for (const auto& c : cases) {
        fake::FakeDetailsProvider p;
        fake::FakeMessageBoxes msg;
        AddRow(p, kTool, c.headers, c.values);
        EXPECT_EQ(TitleTold(p, msg, kTool), c.expected) << c.what;
        ASSERT_EQ(msg.shown.size(), std::wstring(c.expected).empty() ? 1u : 0u) << c.what;
        if (!msg.shown.empty()) {
            EXPECT_EQ(msg.shown[0].text, NoTitleWarning(L"tool.xla")) << c.what;
        }
    }
    // A file whose details cannot be read at all has no title either.
    fake::FakeDetailsProvider none;
    fake::FakeMessageBoxes msg;
    EXPECT_EQ(TitleTold(none, msg, L"D:\\Gone\\Old Tool.xla"), L"");
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, NoTitleWarning(L"Old Tool.xla"));
    EXPECT_EQ(msg.shown[0].title, L"Quorvel SP");
    EXPECT_EQ(msg.shown[0].flags, kMbCritical);
    // One line feed between the lines, one blank inside each bracket.
    const std::wstring& text = msg.shown[0].text;
    EXPECT_EQ(text.find(L'\r'), std::wstring::npos);
    EXPECT_EQ(text.substr(text.find(L'\n') + 1), std::wstring(texts::kOpenQuote) + L" Old Tool.xla" + texts::kNoTitle2);
    EXPECT_EQ(std::wstring(texts::kNoTitle2).front(), L' ');
}

TEST(GetAddinFileTitle, TitleColumnBoundIsSixty) {
    struct Case { int column; const wchar_t* expected; };
    const Case cases[] = {{kMaxDetailColumn, L"Edge"}, {kMaxDetailColumn + 1, L""}};
    for (const auto& c : cases) {
        fake::FakeDetailsProvider p;
        fake::FakeMessageBoxes msg;
        AddAfterFillers(p, kTool, c.column, texts::kHeaderTitle, L"Edge");
        EXPECT_EQ(TitleTold(p, msg, kTool), c.expected) << c.column;
    }
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
