// The Win32 platform adapters against the real registry, file system and clipboard of the
// Wine prefix, each test in its own scratch key and folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/win32/platform.h"
#include "reg_write.h"
#include "wine_env.h"
#include "window/texts.h"

namespace {

using qv::Failure;
using qv::RegResult;
using qv::test::ReadAll;
using qv::test::ScratchFolder;
using qv::test::ScratchKey;
using qv::win32::Win32FileSystem;
using qv::win32::Win32Registry;

// A Japanese path of the kind the wizard keeps in the registry and puts on the clipboard.
std::wstring JapanesePath() {
    return std::wstring(L"C:\\") + qv::texts::kOptCaption6 + L"\\" + qv::texts::kOptCaption0 + L" (2).xla";
}

// ---- Registry ----

class RegistryTest : public testing::Test {
protected:
    ScratchKey scratch;
    Win32Registry reg;
};

TEST_F(RegistryTest, AbsentIsAnAnswerNotAFailure) {
    const std::wstring present = scratch.Sub(L"Present");
    reg.SetString(present, L"Value", L"data");

    struct Case {
        int line;
        std::wstring key;
        std::wstring name;
        bool keyExists;
        std::optional<std::wstring> value;
        RegResult deleted;
    } cases[] = {
        {__LINE__, scratch.Sub(L"Missing"), L"Value", false, std::nullopt, RegResult::Absent},
        {__LINE__, scratch.Sub(L"Missing\\Deeper"), L"Value", false, std::nullopt, RegResult::Absent},
        {__LINE__, present, L"Other", true, std::nullopt, RegResult::Absent},
        {__LINE__, present, L"Value", true, L"data", RegResult::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        EXPECT_EQ(qv::test::RegKeyExists(c.key), c.keyExists);
        EXPECT_EQ(reg.GetString(c.key, c.name), c.value);
        EXPECT_EQ(reg.DeleteValue(c.key, c.name), c.deleted);
        EXPECT_EQ(reg.GetString(c.key, c.name), std::nullopt) << "still there after the delete";
        EXPECT_EQ(qv::test::RegKeyExists(c.key), c.keyExists) << "a delete made the key";
    }
    EXPECT_FALSE(qv::test::RegKeyExists(scratch.Sub(L"Missing")));
}

TEST_F(RegistryTest, NamesAreUsedAsTheyStand) {
    // Add-in Manager values are named by full paths, with backslashes, blanks and quotes.
    const std::wstring key = scratch.Sub(L"Add-in Manager");
    const std::wstring names[] = {L"C:\\AddIns\\a.xla", JapanesePath(), L"\"quoted name\"", L"trailing blank "};
    for (auto& n : names) reg.SetString(key, n, L"");
    for (auto& n : names) {
        SCOPED_TRACE(qv::test::Narrow(n));
        EXPECT_EQ(reg.GetString(key, n), std::wstring());
    }
    EXPECT_EQ(reg.DeleteValue(key, L"c:\\addins\\A.XLA"), RegResult::Ok) << "the registry ignores case";
    EXPECT_EQ(reg.DeleteValue(key, L"trailing blank"), RegResult::Absent) << "the name must not be trimmed";
    EXPECT_EQ(reg.DeleteValue(key, L"trailing blank "), RegResult::Ok);
}

TEST_F(RegistryTest, StringValuesKeepOrderSkipOtherTypesAndComeBackWhole) {
    const std::wstring key = scratch.Sub(L"Options");
    const std::wstring longName(300, L'z'), longData(5000, L'd');  // last by any order
    reg.SetString(key, L"OPEN", L"/R \"C:\\x\\a.xla\"");
    ASSERT_TRUE(qv::test::SetRegDword(key, L"Counter", 7));
    reg.SetString(key, L"OPEN1", JapanesePath());
    reg.SetString(key, L"OPEN2", L"");
    reg.SetString(key, longName, longData);

    std::vector<std::pair<std::wstring, std::wstring>> got;
    for (auto& v : reg.StringValues(key)) got.push_back({v.name, v.data});
    EXPECT_EQ(got, (std::vector<std::pair<std::wstring, std::wstring>>{
                       {L"OPEN", L"/R \"C:\\x\\a.xla\""}, {L"OPEN1", JapanesePath()}, {L"OPEN2", L""}, {longName, longData}}));
    EXPECT_EQ(reg.GetString(key, longName), longData);
    EXPECT_EQ(reg.GetString(key, L"Counter"), std::nullopt) << "a number is no text";
    EXPECT_TRUE(reg.StringValues(scratch.Sub(L"Missing")).empty());
}

// ---- File system ----

class FileSystemTest : public testing::Test {
protected:
    ScratchFolder dir;
    Win32FileSystem fs;

    std::wstring Make(const std::wstring& name, DWORD attributes, const std::string& content = "x") {
        std::wstring p = dir.Write(name, content);
        EXPECT_FALSE(p.empty()) << "could not write " << qv::test::Narrow(name);
        if (attributes) SetFileAttributesW(p.c_str(), attributes);
        return p;
    }
    std::vector<std::wstring> Entries() {
        auto e = dir.Entries();
        std::sort(e.begin(), e.end());
        return e;
    }
};

// Only ordinary files count: hidden and system files neither exist nor are listed, and a folder
// is no file, whatever its name.
TEST_F(FileSystemTest, OnlyOrdinaryFilesExistAndAreListed) {
    const std::wstring plain = Make(L"plain.xla", 0), readOnly = Make(L"readonly.xla", FILE_ATTRIBUTE_READONLY),
                       archive = Make(L"archive.xla", FILE_ATTRIBUTE_ARCHIVE),
                       hidden = Make(L"hidden.xla", FILE_ATTRIBUTE_HIDDEN),
                       system = Make(L"system.xla", FILE_ATTRIBUTE_SYSTEM);
    Make(L"notes.txt", 0);
    CreateDirectoryW(dir.File(L"folder.xla").c_str(), nullptr);
    struct Case {
        std::wstring path;
        bool file, folder;
    } cases[] = {
        {plain, true, false},   {readOnly, true, false}, {archive, true, false},
        {hidden, false, false}, {system, false, false},  {dir.File(L"folder.xla"), false, true},
        {dir.File(L"missing.xla"), false, false}, {dir.File(L"missing\\a.xla"), false, false}, {dir.Path(), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qv::test::Narrow(c.path));
        EXPECT_EQ(fs.FileExists(c.path), c.file);
        EXPECT_EQ(fs.FolderExists(c.path), c.folder);
        // Everything here is reachable, so whatever is not an ordinary file is missing.
        EXPECT_EQ(fs.FileMissing(c.path), !c.file);
    }

    const std::vector<std::wstring> xla{L"archive.xla", L"plain.xla", L"readonly.xla"};
    struct ListCase {
        std::wstring folder, pattern;
        std::vector<std::wstring> expected;
    } lists[] = {
        {dir.Path(), L"*.xla", xla},
        {dir.Path() + L"\\", L"*.xla", xla},
        {dir.Path(), L"*", {L"archive.xla", L"notes.txt", L"plain.xla", L"readonly.xla"}},
        {dir.Path(), L"plain.xla", {L"plain.xla"}},
        {dir.Path(), L"hidden.xla", {}},
        {dir.Path(), L"*.xlb", {}},
        {dir.File(L"missing"), L"*.xla", {}},
    };
    for (const ListCase& c : lists) {
        SCOPED_TRACE(qv::test::Narrow(c.folder + L" " + c.pattern));
        auto names = fs.ListFiles(c.folder, c.pattern);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.expected);
    }
}

// A copy replaces the destination whole or, failing, leaves it as it was; no temporary file
// stays behind either way.
TEST_F(FileSystemTest, CopyReplaceOverwritesOrKeepsTheOldDestination) {
    std::wstring src = Make(L"new.xla", 0, "new content");
    enum class Obstacle { None, NoDestination, ReadOnly, HeldOpen, MissingSource, MissingFolder };
    for (Obstacle obstacle : {Obstacle::None, Obstacle::NoDestination, Obstacle::ReadOnly, Obstacle::HeldOpen,
                              Obstacle::MissingSource, Obstacle::MissingFolder}) {
        SCOPED_TRACE(static_cast<int>(obstacle));
        std::wstring dst = dir.File(L"installed.xla");
        SetFileAttributesW(dst.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(dst.c_str());
        if (obstacle != Obstacle::NoDestination)
            Make(L"installed.xla", obstacle == Obstacle::ReadOnly ? FILE_ATTRIBUTE_READONLY : 0, "old content, longer");
        HANDLE held = INVALID_HANDLE_VALUE;
        if (obstacle == Obstacle::HeldOpen)
            held = CreateFileW(dst.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        std::wstring from = obstacle == Obstacle::MissingSource ? dir.File(L"missing.xla") : src;
        std::wstring to = obstacle == Obstacle::MissingFolder ? dir.File(L"missing\\installed.xla") : dst;
        const bool fails = obstacle > Obstacle::NoDestination;
        try {
            fs.CopyReplace(from, to);
            EXPECT_FALSE(fails) << "the copy went through";
        } catch (const Failure& f) {
            EXPECT_TRUE(fails) << qv::test::Narrow(f.Detail());
            EXPECT_EQ(f.What(), qv::texts::kOpCopy);
            EXPECT_NE(f.Code(), 0);
            EXPECT_FALSE(f.Detail().empty());
        }
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(ReadAll(dst), fails ? "old content, longer" : "new content");
        EXPECT_EQ(ReadAll(src), "new content");
        EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"installed.xla", L"new.xla"})) << "a temporary file was left";
    }
}

TEST_F(FileSystemTest, DeleteRemovesOrFails) {
    std::wstring p = Make(L"a.xla", 0);
    fs.Delete(p);
    EXPECT_FALSE(fs.FileExists(p));
    try {
        fs.Delete(p);
        FAIL() << "deleting a missing file succeeded";
    } catch (const Failure& f) {
        EXPECT_EQ(f.What(), qv::texts::kOpDelete);
        EXPECT_EQ(f.Code(), static_cast<long>(ERROR_FILE_NOT_FOUND));
    }
}

// ---- Clipboard ----

std::optional<std::wstring> ClipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

TEST(ClipboardTest, TextRoundTripsAsUnicode) {
    qv::win32::Win32Clipboard clip;
    const std::wstring texts[] = {JapanesePath(), L"C:\\AddIns\\plain.xla", L""};
    for (const auto& t : texts) {
        SCOPED_TRACE(qv::test::Narrow(t));
        clip.SetText(t);
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
        EXPECT_EQ(ClipboardText(), t);
    }
}

// ---- System information ----

TEST(SystemInfoTest, ArgumentsAreWhatFollowsTheProgramName) {
    struct Case {
        int line;
        const wchar_t* commandLine;
        const wchar_t* arguments;
    } cases[] = {
        {__LINE__, L"quorvel.exe", L""},
        {__LINE__, L"quorvel.exe a.xla", L"a.xla"},
        {__LINE__, L"\"C:\\Program Files\\Q\\quorvel.exe\" a.xla \"C:\\My Docs\\b.xla\"",
         L"a.xla \"C:\\My Docs\\b.xla\""},
        {__LINE__, L"\"C:\\Program Files\\Q\\quorvel.exe\"", L""},
        {__LINE__, L"quorvel.exe   \"a b.xla\"  c.xla  ", L"\"a b.xla\"  c.xla  "},
        {__LINE__, L"  quorvel.exe\tx.xla", L"x.xla"},
        {__LINE__, L"\"C:\\Q\\quorvel.exe\"\"\" x.xla", L"x.xla"},
        {__LINE__, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        EXPECT_EQ(qv::win32::ArgumentsOf(c.commandLine), c.arguments);
    }
}

TEST(SystemInfoTest, FoldersAndVersion) {
    qv::win32::Win32SystemInfo info;
    Win32FileSystem fs;

    std::wstring program = info.ProgramFolder();
    EXPECT_TRUE(fs.FileExists(program + L"\\qv_wine_tests.exe")) << qv::test::Narrow(program);

    std::wstring runtime = info.RuntimeLibraryFolder();
    ASSERT_FALSE(runtime.empty());
    EXPECT_NE(runtime.back(), L'\\');
    EXPECT_TRUE(fs.FolderExists(runtime));
    wchar_t wow[MAX_PATH];
    if (GetSystemWow64DirectoryW(wow, MAX_PATH)) {
        EXPECT_EQ(lstrcmpiW(runtime.c_str(), wow), 0);
    }

    ScratchFolder dir;
    std::wstring plain = dir.Write(L"plain.bin", "no resources here");
    auto none = qv::win32::FileVersionOf(plain);
    EXPECT_EQ(none.major + none.minor + none.revision, 0);
    wchar_t system[MAX_PATH];
    ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
    EXPECT_GT(qv::win32::FileVersionOf(std::wstring(system) + L"\\kernel32.dll").major, 0);
}

TEST(DrivesTest, SystemDriveIsFixed) {
    EXPECT_EQ(qv::win32::Win32Drives().DriveType(L"C:\\"), qv::kDriveFixed);
}

// ---- Busy cursor ----

TEST(BusyCursorTest, NestedScopesKeepTheWaitCursorUntilTheOutermostEnds) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    SetCursor(arrow);
    qv::win32::Win32BusyCursor busy;
    EXPECT_FALSE(busy.Busy());
    {
        qv::BusyScope outer(busy);
        EXPECT_TRUE(busy.Busy());
        EXPECT_EQ(GetCursor(), wait);
        {
            qv::BusyScope inner(busy);
            EXPECT_EQ(busy.Depth(), 2);
        }
        EXPECT_TRUE(busy.Busy()) << "the inner scope must not end the outer one";
        EXPECT_EQ(GetCursor(), wait);
    }
    EXPECT_FALSE(busy.Busy());
    EXPECT_EQ(GetCursor(), arrow);
    busy.End();  // unmatched
    EXPECT_EQ(busy.Depth(), 0);
}

}  // namespace
