// The Windows details provider against generated add-in files and the real corpus.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fileinfo/addin_details.h"
#include "fileinfo/win32/details_provider.h"
#include "fileinfo/win32/shell_details.h"
#include "fileinfo/win32/summary_reader.h"
#include "fileinfo/win32/summary_writer.h"
#include "platform/error.h"
#include "platform/win32/handles.h"
#include "window/texts.h"
#include "wine_env.h"

namespace qv::win32 {
namespace {

// The title, and whether the file is reported as having none: exactly when the title is empty.
void ExpectTitle(DetailsProvider& provider, const std::wstring& path, const std::wstring& title) {
    const FileTitle read = GetAddinFileTitle(provider, path);
    EXPECT_EQ(read.title, title) << path;
    EXPECT_EQ(read.warning.has_value(), title.empty()) << path;
    if (read.warning) {
        EXPECT_EQ(read.warning->path, path);
    }
}

std::wstring CorpusFolder() {
    const char* env = std::getenv("QV_CORPUS");
    return qv::test::WindowsPath(env && *env ? env : "/work/shared/corpus/xla");
}

// A scratch folder of the test's own, emptied at the start and removed at the end.
class DetailsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(com_.result())); }

    std::wstring Path(const std::wstring& name) const { return folder_.File(name); }

    ComInit com_;
    qv::test::ScratchFolder folder_;
    const std::wstring dir_ = folder_.Path();
};

const std::vector<std::wstring> kJapaneseHeaders = {
    texts::kHeaderName,     texts::kHeaderSize,     texts::kHeaderType,       texts::kHeaderModified,
    texts::kHeaderCreated,  texts::kHeaderAccessed, texts::kHeaderAttributes, texts::kHeaderStatus,
    texts::kHeaderOwner,    texts::kHeaderAuthor,   texts::kHeaderTitle,      texts::kHeaderSubject,
    texts::kHeaderCategory, texts::kHeaderPages,    texts::kHeaderComments,   texts::kHeaderCopyright};

struct Fixture {
    const wchar_t* file;
    const wchar_t* title;
    const wchar_t* author;
    bool notMicrosoft;
};

const Fixture kFixtures[] = {
    {L"titled.xla", L"Date Helper", L"Quorvel SP", true},
    {L"untitled.xla", L"", L"Quorvel SP", true},
    {L"売上集計ツール.xla", L"売上集計ツール", L"山田 太郎", true},
    {L"ms-corp.xla", L"Analysis ToolPak", L"Microsoft Corporation", false},
    {L"ms-upper.xla", L"Solver", L"MICROSOFT", false},
    {L"ms-lower.xla", L"Lookup", L"made by microsoft", false},
    {L"ms-mixed.xla", L"Euro", L"MicroSoft Japan", false},
    {L"split.xla", L"Split", L"Micro Soft", true},
    {L"bare.xla", L"", L"", true},
};

TEST_F(DetailsTest, GeneratedFixturesReadBackThroughTheProviderWithTheWarningForNoTitle) {
    auto provider = MakeDetailsProvider();
    for (const auto& f : kFixtures) {
        ASSERT_TRUE(WriteXlaFixture(Path(f.file), f.title, f.author)) << f.file;
        EXPECT_EQ(ReadDetail(*provider, Path(f.file), texts::kHeaderTitle), f.title) << f.file;
        EXPECT_EQ(ReadDetail(*provider, Path(f.file), texts::kHeaderAuthor), f.author) << f.file;
        EXPECT_EQ(IsNotMicrosoftAddin(*provider, Path(f.file)), f.notMicrosoft) << f.file;
        ExpectTitle(*provider, Path(f.file), f.title);
    }
}

TEST_F(DetailsTest, SummaryReaderPresentsTheJapaneseDetailsView) {
    ASSERT_TRUE(WriteXlaFixture(Path(L"tool.xla"), L"Tool", L"Someone"));
    auto details = MakeDetailsProvider()->Open(dir_, L"tool.xla");
    std::vector<std::wstring> headers;
    for (int c = 0; c <= kMaxDetailColumn; ++c) {
        std::wstring h = details->Header(c);
        if (h.empty()) break;
        headers.push_back(h);
    }
    EXPECT_EQ(headers, kJapaneseHeaders);
    EXPECT_EQ(details->Header(static_cast<int>(kJapaneseHeaders.size())), L"");
    EXPECT_EQ(details->Header(-1), L"");
    EXPECT_EQ(details->Value(0), L"tool.xla");
    EXPECT_EQ(details->Value(9), L"Someone");
    EXPECT_EQ(details->Value(10), L"Tool");
    for (int c : {1, 8, 11, 15, 16, 40}) EXPECT_EQ(details->Value(c), L"") << c;
}

TEST_F(DetailsTest, EightBitTextsAreDecodedInTheSetsOwnCodePage) {
    struct Case { unsigned codePage; const wchar_t* title; const wchar_t* author; };
    const Case cases[] = {
        {932, L"売上集計ツール", L"山田 太郎"},
        {936, L"销售统计工具", L"王小明"},
        {1250, L"Nástroj Łódź", L"Dvořák"},
        {1252, L"Outil café", L"Müller"},
        {65001, L"日付ヘルパー", L"Microsoft 日本"},
        {1200, L"ユニコード", L"作者"},
    };
    auto provider = MakeDetailsProvider();
    for (const auto& c : cases) {
        std::wstring file = L"cp" + std::to_wstring(c.codePage) + L".xla";
        ASSERT_TRUE(WriteXlaFixtureInCodePage(Path(file), c.title, c.author, c.codePage)) << c.codePage;
        SummaryText s = ReadSummary(Path(file));
        EXPECT_EQ(s.title, c.title) << c.codePage;
        EXPECT_EQ(s.author, c.author) << c.codePage;
        EXPECT_EQ(ReadDetail(*provider, Path(file), texts::kHeaderTitle), c.title) << c.codePage;
    }
}

TEST(SummaryStream, StoresTextsInTheDeclaredCodePage) {
    // 山田 in Shift_JIS and in UTF-8, so the writer is checked apart from the reader.
    std::string sjis = BuildSummaryStream(L"", L"山田", 932);
    EXPECT_NE(sjis.find("\x8E\x52\x93\x63"), std::string::npos);
    std::string utf8 = BuildSummaryStream(L"", L"山田", 65001);
    EXPECT_NE(utf8.find("\xE5\xB1\xB1\xE7\x94\xB0"), std::string::npos);
}

TEST(SummaryStream, SystemConverterDecodesEachCodePage) {
    struct Case { std::string bytes; unsigned codePage; const wchar_t* text; };
    const Case cases[] = {
        {"\x8E\x52\x93\x63", 932, L"山田"},
        {"\xE5\xB1\xB1\xE7\x94\xB0", 65001, L"山田"},
        {"caf\xE9", 1252, L"café"},
        {"\xA3\xF3", 1250, L"Łó"},
        {"\xCF\xFA\xCA\xDB", 936, L"销售"},
        {"", 932, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeCodePage(c.bytes, c.codePage), std::optional<std::wstring>(c.text)) << c.codePage;
    EXPECT_EQ(DecodeCodePage("abc", 4242), std::nullopt);
}

TEST(SummaryStream, WrittenStreamReadsBack) {
    for (unsigned codePage : {932u, 65001u, 1200u}) {
        const std::string stream = BuildSummaryStream(L"売上集計ツール", L"山田 太郎", codePage);
        SummaryText s = DecodeSummary(ParseSummaryStream(stream), &DecodeCodePage);
        EXPECT_EQ(s.title, L"売上集計ツール") << codePage;
        EXPECT_EQ(s.author, L"山田 太郎") << codePage;
    }
}

TEST_F(DetailsTest, MissingFileOrFolderHasNoDetails) {
    ASSERT_TRUE(WriteXlaFixture(Path(L"here.xla"), L"Here", L"Microsoft"));
    ASSERT_TRUE(CreateDirectoryW(Path(L"folder.xla").c_str(), nullptr));
    auto provider = MakeDetailsProvider();
    const std::wstring missing[] = {Path(L"gone.xla"), dir_ + L"\\no such folder\\tool.xla", Path(L"folder.xla"),
                                    L"tool.xla"};
    for (const auto& p : missing) {
        auto slash = p.rfind(L'\\');
        std::wstring folder = slash == std::wstring::npos ? L"" : p.substr(0, slash);
        EXPECT_THROW(provider->Open(folder, p.substr(slash + 1)), Failure) << p;
        EXPECT_TRUE(IsNotMicrosoftAddin(*provider, p)) << p;
        ExpectTitle(*provider, p, L"");
    }
    // The file beside them still reads.
    EXPECT_FALSE(IsNotMicrosoftAddin(*provider, Path(L"here.xla")));
}

TEST_F(DetailsTest, ShellSaysWhenFolderOrFileIsMissing) {
    EXPECT_THROW(OpenShellDetails(dir_ + L"\\no such folder", L"tool.xla"), Failure);
    EXPECT_THROW(OpenShellDetails(dir_, L"gone.xla"), Failure);
}

TEST_F(DetailsTest, FileThatIsNoCompoundDocumentHasEmptyDetails) {
    ASSERT_FALSE(folder_.Write(L"text.xla", "not an add-in").empty());
    auto provider = MakeDetailsProvider();
    auto details = provider->Open(dir_, L"text.xla");
    EXPECT_EQ(details->Header(9), texts::kHeaderAuthor);
    EXPECT_EQ(details->Value(9), L"");
    EXPECT_EQ(details->Value(10), L"");
    EXPECT_TRUE(IsNotMicrosoftAddin(*provider, Path(L"text.xla")));
}

TEST_F(DetailsTest, RealAddinFilesInSeveralCodePages) {
    const std::wstring corpus = CorpusFolder();
    if (GetFileAttributesW(corpus.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no corpus at QV_CORPUS";
    struct Case { const wchar_t* file; const wchar_t* title; const wchar_t* author; bool notMicrosoft; };
    const Case cases[] = {
        // UTF-8 (65001), written by LibreOffice: the ANSI code page would lose these.
        {L"libreoffice__sales-ja.xla", L"売上集計アドイン", L"山田 太郎", true},
        {L"libreoffice__ms-author.xla", L"Analysis Helpers", L"Microsoft Corporation", false},
        // 1252, 1250 and 936 declared by the same add-in's versions.
        {L"ivankokan__Excel2LaTeX__Excel2LaTeX.xla", L"Excel2LaTeX", L"Chelsea Hughes", true},
        {L"ivankokan__Excel2LaTeX__Excel2LaTeX_e9aff47.xla", L"Excel2LaTeX", L"Chelsea Hughes", true},
        {L"ivankokan__Excel2LaTeX__Excel2LaTeX_ebb1a2d.xla", L"Excel2LaTeX", L"Chelsea Hughes", true},
        {L"ivankokan__Excel2LaTeX__Template.xla", L"", L"German Riano", true},
        // 932: no title; the application name "Microsoft Excel" is no author.
        {L"msofficesvn__msofficesvn__excelsvn_ja.xla", L"", L"SHIMADZU", true},
        {L"msofficesvn__msofficesvn__excelsvn_en.xla", L"", L"koki", true},
        {L"shutakayama__surviveplusnet-excel-macro__Surviveplus.xla", L"Surviveplus.net Excel Macro", L"SHIN-ICHI", true},
        {L"yu-ki106f__PoiManager__PoiManager.xla", L"", L"funahashi", true},
        {L"SwReliab__SRATS2010__srats2010.xla", L"", L"", true},
    };
    auto provider = MakeDetailsProvider();
    for (const auto& c : cases) {
        std::wstring path = corpus + L"\\" + c.file;
        EXPECT_EQ(ReadDetail(*provider, path, texts::kHeaderTitle), c.title) << c.file;
        EXPECT_EQ(ReadDetail(*provider, path, texts::kHeaderAuthor), c.author) << c.file;
        EXPECT_EQ(IsNotMicrosoftAddin(*provider, path), c.notMicrosoft) << c.file;
        ExpectTitle(*provider, path, c.title);
    }
}

// Runs make-xla.exe from beside this test program; returns its exit code.
DWORD RunMakeXla(const std::wstring& args) {
    return qv::test::Run(qv::test::BinDir() + L"\\make-xla.exe", args, 60000).exit.value_or(9999);
}

TEST_F(DetailsTest, MakeXlaWritesOneFileAndTheSamples) {
    ASSERT_EQ(RunMakeXla(L"--out \"" + Path(L"one tool.xla") + L"\" --title 日付ヘルパー --author \"Quorvel SP\""), 0u);
    SummaryText one = ReadSummary(Path(L"one tool.xla"));
    EXPECT_EQ(one.title, L"日付ヘルパー");
    EXPECT_EQ(one.author, L"Quorvel SP");

    ASSERT_EQ(RunMakeXla(L"--samples \"" + dir_ + L"\""), 0u);
    SummaryText sales = ReadSummary(Path(L"売上集計ツール.xla"));
    EXPECT_EQ(sales.title, L"売上集計ツール");
    EXPECT_EQ(sales.author, L"山田 太郎");
    EXPECT_EQ(ReadSummary(Path(L"DateHelper.xla")).title, L"日付ヘルパー");
    EXPECT_EQ(ReadSummary(Path(L"NoTitle.xla")).title, L"");

    EXPECT_EQ(RunMakeXla(L"--title only"), 2u);
    EXPECT_EQ(RunMakeXla(L"--out"), 2u);
}

}  // namespace
}  // namespace qv::win32
