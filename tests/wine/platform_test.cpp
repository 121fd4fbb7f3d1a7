// The Win32 platform adapters against the real registry, file system and clipboard of the
// Wine prefix, each test in its own scratch key and folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/account.h"
#include "platform/error.h"
#include "platform/win32/platform.h"
#include "platform/zone_identifier.h"
#include "prefix_link.h"
#include "reg_write.h"
#include "wine_env.h"
#include "window/texts.h"

namespace {

using qv::Failure;
using qv::FileState;
using qv::RegResult;
using qv::StreamState;
using qv::ZoneMark;
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

// `root` may be HKLM; `view` picks its 32-bit or 64-bit view.
void RawSet(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD bytes,
            HKEY root = HKEY_CURRENT_USER, REGSAM view = 0) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(k);
}

TEST_F(RegistryTest, TypedValuesAndSubkeys) {
    const std::wstring key = scratch.Sub(L"Resiliency\\DisabledItems");
    const std::vector<std::uint8_t> item = {1, 0, 0, 0, 8, 0, 0, 0, L'C', 0, L':', 0, L'\\', 0, L'a', 0};
    RawSet(key, L"2C7A1F", REG_BINARY, item.data(), static_cast<DWORD>(item.size()));
    ASSERT_TRUE(qv::test::SetRegDword(key, L"Flag", 1));
    const wchar_t expandable[] = L"%QV_TEST_FOLDER%\\AddIns";
    RawSet(key, L"Path", REG_EXPAND_SZ, expandable, sizeof expandable);
    reg.SetString(key, L"Plain", L"%QV_TEST_FOLDER%");
    SetEnvironmentVariableW(L"QV_TEST_FOLDER", L"C:\\Shared");
    for (auto sub : {L"Location1", L"Location0"}) reg.SetString(key + L"\\" + sub, L"Path", L"x");

    EXPECT_EQ(reg.GetBinary(key, L"2C7A1F"), item);
    EXPECT_EQ(reg.GetDword(key, L"Flag"), 1u);
    EXPECT_EQ(reg.GetExpandedString(key, L"Path"), L"C:\\Shared\\AddIns");
    EXPECT_EQ(reg.GetExpandedString(key, L"Plain"), L"%QV_TEST_FOLDER%") << "REG_SZ text stays as stored";
    EXPECT_EQ(reg.GetBinary(key, L"Flag"), std::nullopt) << "each read refuses the other types";
    EXPECT_EQ(reg.GetDword(key, L"2C7A1F"), std::nullopt);
    auto binaries = reg.BinaryValues(key);
    ASSERT_EQ(binaries.size(), 1u);
    EXPECT_EQ(binaries[0].data, item);
    auto subkeys = reg.SubkeyNames(key);
    std::sort(subkeys.begin(), subkeys.end());
    EXPECT_EQ(subkeys, (std::vector<std::wstring>{L"Location0", L"Location1"}));
    EXPECT_TRUE(reg.SubkeyNames(scratch.Sub(L"Missing")).empty());
}

TEST_F(RegistryTest, MachineValuesInEitherView) {
    // HKCR shows HKLM\Software\Classes; a 64-bit program's own view is the 64-bit one.
    const std::wstring key = L"Software\\Classes\\QuorvelTests.Probe";
    RawSet(key, L"", REG_SZ, L"64", 6, HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    RawSet(key, L"", REG_SZ, L"32", 6, HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
    using enum qv::RegView;
    EXPECT_EQ(reg.GetMachineString(qv::MachineRoot::LocalMachine, key, L"", Bits64), L"64");
    EXPECT_EQ(reg.GetMachineString(qv::MachineRoot::LocalMachine, key, L"", Own), L"64");
    EXPECT_EQ(reg.GetMachineString(qv::MachineRoot::ClassesRoot, L"QuorvelTests.Probe", L"", Bits32), L"32");
    EXPECT_EQ(reg.GetMachineString(qv::MachineRoot::LocalMachine, key + L"\\None", L"", Bits32), std::nullopt);
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
}

// ---- File system ----

class FileSystemTest : public testing::Test {
protected:
    ScratchFolder dir;
    qv::win32::SleepPauser sleeper;
    // Patient for less than a second, so a hold that outlasts it fails quickly.
    Win32FileSystem fs{sleeper, qv::HoldPatience{600, 100}};

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
            fs.CopyReplace(from, to, ZoneMark::KeepSource);
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

// ---- Mark of the Web ----

const std::string kMarked = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://example.com/Tool.xla\r\n";
const std::string kIntranet = "[ZoneTransfer]\r\nZoneId=1\r\n";

// The file's stream read as a browser's reader would, past our own code.
std::optional<std::string> RawStream(const std::wstring& file) {
    bool ok = false;
    std::string text = ReadAll(file + L":Zone.Identifier", &ok);
    return ok ? std::optional<std::string>(text) : std::nullopt;
}

TEST_F(FileSystemTest, ZoneStreamsAreReadAndDeletedBesideTheFile) {
    const std::wstring p = Make(L"a.xla", 0, "add-in");
    EXPECT_EQ(fs.ReadZoneStream(p).state, StreamState::Absent);
    ASSERT_FALSE(dir.Write(L"a.xla:Zone.Identifier", kMarked).empty());  // as a browser leaves it
    // Wine keeps the stream as a file of its own, under the stream's full name.
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"a.xla", L"a.xla:Zone.Identifier"}));
    auto z = fs.ReadZoneStream(p);
    EXPECT_EQ(z.state, StreamState::Present);
    EXPECT_EQ(qv::ZoneIdOf(z.text), 3);
    fs.Delete(p);
    EXPECT_TRUE(Entries().empty()) << "the delete left the stream";
    EXPECT_NO_THROW(fs.DeleteZoneStream(p)) << "no stream is nothing to delete";
}

TEST_F(FileSystemTest, CopyReplaceGivesTheCopyTheMarkAskedFor) {
    struct Case {
        int line;
        std::optional<std::string> source;  // the source's stream
        bool oldCopy;                       // an older installed file, with the intranet mark
        ZoneMark mark;
        std::optional<std::string> copy;  // the copy's stream afterwards
    } cases[] = {
        {__LINE__, kMarked, false, ZoneMark::KeepSource, kMarked},
        {__LINE__, kMarked, true, ZoneMark::KeepSource, kMarked},
        {__LINE__, kMarked, false, ZoneMark::None, std::nullopt},
        {__LINE__, kMarked, true, ZoneMark::None, std::nullopt},
        {__LINE__, std::nullopt, true, ZoneMark::KeepSource, std::nullopt},  // the old file's mark goes
        {__LINE__, std::nullopt, false, ZoneMark::KeepSource, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        const std::wstring src = dir.File(L"new.xla"), dst = dir.File(L"installed.xla");
        for (const auto& p : {src, dst}) {
            DeleteFileW(p.c_str());
            DeleteFileW((p + L":Zone.Identifier").c_str());
        }
        Make(L"new.xla", 0, "new");
        if (c.source) dir.Write(L"new.xla:Zone.Identifier", *c.source);
        if (c.oldCopy) {
            Make(L"installed.xla", 0, "old");
            dir.Write(L"installed.xla:Zone.Identifier", kIntranet);
        }

        fs.CopyReplace(src, dst, c.mark);
        EXPECT_EQ(ReadAll(dst), "new");
        EXPECT_EQ(RawStream(dst), c.copy);
        EXPECT_EQ(ReadAll(src), "new");
        EXPECT_EQ(RawStream(src), c.source) << "the source is never changed";
        std::vector<std::wstring> expected = {L"installed.xla", L"new.xla"};
        if (c.copy) expected.push_back(L"installed.xla:Zone.Identifier");
        if (c.source) expected.push_back(L"new.xla:Zone.Identifier");
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Entries(), expected) << "a temporary file or stream was left";
    }
}

// ---- Files that stay, folders that are made ----

TEST_F(FileSystemTest, ReadOnlyFilesAndCreatedFolders) {
    const std::wstring readOnly = Make(L"readonly.xla", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(fs.IsReadOnly(readOnly));
    EXPECT_FALSE(fs.IsReadOnly(Make(L"plain.xla", 0)));
    EXPECT_FALSE(fs.IsReadOnly(dir.File(L"missing.xla")));
    SetFileAttributesW(readOnly.c_str(), 0);

    const std::wstring deep = dir.File(L"Roaming\\Microsoft\\AddIns");
    fs.CreateFolders(deep + L"\\");
    EXPECT_TRUE(fs.FolderExists(deep));
    EXPECT_NO_THROW(fs.CreateFolders(deep)) << "an existing folder is no failure";
    // A file in the way, a drive without a root.
    for (const std::wstring& path : {dir.File(L"plain.xla\\sub"), std::wstring(L"Q:\\qv-no-drive\\AddIns")}) {
        SCOPED_TRACE(qv::test::Narrow(path));
        try {
            fs.CreateFolders(path);
            ADD_FAILURE() << "created";
        } catch (const Failure& f) {
            EXPECT_EQ(f.What(), qv::texts::kOpCreateFolder);
        }
    }
}

// ---- Drives that do not answer ----

// Drive Q: of the prefix, made to lead to a folder that does not exist, as a mapped drive whose
// share is not connected yet.
struct DanglingDrive : qv::test::PrefixLink {
    DanglingDrive() : PrefixLink("q:", "/nonexistent/qv-unconnected-share") {}
};

TEST_F(FileSystemTest, AFileOnADriveThatDoesNotAnswerIsUnreachable) {
    DanglingDrive drive;
    if (!drive.Ok()) GTEST_SKIP() << "needs WINEPREFIX and a free drive Q:";
    const std::wstring present = Make(L"a.xla", 0), hidden = Make(L"h.xla", FILE_ATTRIBUTE_HIDDEN);
    struct Case {
        int line;
        std::wstring path;
        FileState state;
    } cases[] = {
        {__LINE__, present, FileState::Present},
        {__LINE__, hidden, FileState::Missing},
        {__LINE__, dir.File(L"gone\\gone.xla"), FileState::Missing},
        {__LINE__, L"Q:\\a.xla", FileState::Unreachable},
        {__LINE__, L"q:\\AddIns\\a.xla", FileState::Unreachable},
        {__LINE__, L"\\\\qv-no-such-server\\share\\a.xla", FileState::Unreachable},
    };
    for (bool listing : {false, true}) {
        std::optional<qv::ListingScope> scope;
        if (listing) scope.emplace(fs);
        for (int round = 0; round < 2; ++round) {  // the second from the listing's answers
            for (const Case& c : cases) {
                SCOPED_TRACE(testing::Message() << "case at line " << c.line << (listing ? " in a listing" : ""));
                EXPECT_EQ(fs.FileStateOf(c.path), c.state);
                EXPECT_EQ(fs.FileMissing(c.path), c.state == FileState::Missing);
            }
        }
    }
    SetFileAttributesW(hidden.c_str(), 0);
}

// ---- Files that another program holds for a moment ----

TEST_F(FileSystemTest, AShortHoldIsWaitedOutAndALongOneFailsWithTheOldFileIntact) {
    const std::wstring src = Make(L"new.xla", 0, "new"), dst = dir.File(L"installed.xla");
    // Held as a virus scanner holds a file it reads: no sharing at all.
    auto hold = [&] { return CreateFileW(dst.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr); };
    Win32FileSystem patient;  // the program's own patience
    for (int step = 0; step < 2; ++step) {
        Make(L"installed.xla", 0, "old");
        std::thread release([h = hold()] {
            Sleep(1000);
            CloseHandle(h);
        });
        if (step == 0) patient.CopyReplace(src, dst, ZoneMark::KeepSource);
        else patient.Delete(dst);
        release.join();
        EXPECT_EQ(ReadAll(dst), step == 0 ? "new" : "");
    }
    // Held past the retries: the copy and the delete fail, and the old file stays.
    Make(L"installed.xla", 0, "old");
    HANDLE held = hold();
    EXPECT_THROW(fs.CopyReplace(src, dst, ZoneMark::KeepSource), Failure);
    EXPECT_THROW(fs.Delete(dst), Failure);
    CloseHandle(held);
    EXPECT_EQ(ReadAll(dst), "old");
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"installed.xla", L"new.xla"})) << "a temporary file was left";
}

// ---- Clipboard ----

TEST(ClipboardTest, TextRoundTripsAsUnicode) {
    qv::win32::Win32Clipboard clip;
    const std::wstring texts[] = {JapanesePath(), L"C:\\AddIns\\plain.xla", L""};
    for (const auto& t : texts) {
        SCOPED_TRACE(qv::test::Narrow(t));
        clip.SetText(t);
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
        EXPECT_EQ(qv::test::ClipboardText(), t);
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

// Paths compare as the file system compares names: letter case ignored in every script, and
// nothing else folded (the native tests' fake folds the same letters).
TEST(SystemInfoTest, SamePathIgnoresCaseInEveryScriptOnly) {
    qv::win32::Win32SystemInfo info;
    const struct {
        const wchar_t *a, *b;
        bool same;
    } cases[] = {
        {L"C:\\Tools\\a.xla", L"c:\\TOOLS\\A.XLA", true},
        {L"D:\\Ｔｏｏｌｓ\\Équipe", L"d:\\ｔｏｏｌｓ\\éQUIPE", true},
        {L"D:\\Обмен", L"D:\\оБМЕН", true},
        {L"D:\\Tools", L"D:\\Ｔｏｏｌｓ", false},
        {L"D:\\Equipe", L"D:\\Équipe", false},
        {L"D:\\Tools", L"D:\\Tools\\", false},
    };
    for (const auto& c : cases) EXPECT_EQ(info.SamePath(c.a, c.b), c.same) << qv::test::Narrow(c.a) << " / " << qv::test::Narrow(c.b);
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

TEST(AccountsTest, UnderWineOnlyTheSessionTellsTheDesktopUser) {
    qv::AccountFacts facts = qv::win32::Win32Accounts().Facts();
    wchar_t user[256];
    DWORD n = 256;
    ASSERT_TRUE(GetUserNameW(user, &n));
    EXPECT_EQ(facts.own.substr(facts.own.rfind(L'\\') + 1), user);
    EXPECT_FALSE(facts.ownIsLocalSystem);
    // The session's user name is looked up to its SID, which is the token's own.
    EXPECT_TRUE(facts.ownSid.rfind(L"S-1-", 0) == 0) << qv::test::Narrow(facts.ownSid);
    EXPECT_EQ(facts.desktopSid.value_or(L"-"), facts.ownSid) << qv::test::Narrow(facts.desktopUser.value_or(L"-"));
    EXPECT_EQ(qv::CheckAccount(facts), qv::AccountVerdict::Ok) << qv::test::Narrow(facts.desktopUser.value_or(L"-"));
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
