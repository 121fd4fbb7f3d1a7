#include <gtest/gtest.h>

#include "fakes.h"
#include "operations/operations.h"

namespace qv {
namespace {

const std::wstring kKey11 = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";

struct RegistryWorld {
    fake::World w;
    RegistryWorld() { w.st.intEXCELVER = 11; }
    std::vector<std::wstring> Names(const std::wstring& key) {
        std::vector<std::wstring> r;
        for (auto& v : w.reg.StringValues(key)) r.push_back(v.name);
        return r;
    }
};

TEST(AddinManagerKey, VersionFormattedWithOneDecimal) {
    struct Case { int version; const wchar_t* key; };
    const Case cases[] = {
        {8, L"Software\\Microsoft\\Office\\8.0\\Excel\\Add-in Manager"},
        {9, L"Software\\Microsoft\\Office\\9.0\\Excel\\Add-in Manager"},
        {11, L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager"},
        {12, L"Software\\Microsoft\\Office\\12.0\\Excel\\Add-in Manager"},
    };
    for (const auto& c : cases) EXPECT_EQ(AddinManagerKey(c.version), c.key) << c.version;
}

// Only the value named by the full path as it stands goes, from the running version's key.
TEST(DeleteAddinManagerValue, DeletesOnlyTheNamedValueOfTheRunningVersion) {
    const std::wstring key9 = L"Software\\Microsoft\\Office\\9.0\\Excel\\Add-in Manager";
    struct Case { int version; const wchar_t* stored; const wchar_t* asked; bool deleted; };
    const Case cases[] = {
        {11, L"C:\\Tools\\a.xla", L"C:\\Tools\\a.xla", true},
        {11, L"a.xla", L"C:\\Tools\\a.xla", false},
        {11, L"C:\\ツール\\日本語.xla", L"C:\\ツール\\日本語.xla", true},
        {11, L"\\\\srv\\share\\net.xla", L"\\\\srv\\share\\net.xla", true},
        {9, L"C:\\Tools\\a.xla", L"C:\\Tools\\a.xla", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        RegistryWorld r;
        r.w.st.intEXCELVER = c.version;
        const std::wstring key = c.version == 9 ? key9 : kKey11;
        const std::wstring other = c.version == 9 ? kKey11 : key9;
        r.w.reg.keys[key] = {{L"C:\\A\\one.xla", L""}, {c.stored, L""}, {L"C:\\B\\two.xla", L""}};
        r.w.reg.keys[other] = {{c.stored, L""}};
        DeleteAddinManagerValue(r.w.reg, r.w.st.intEXCELVER, c.asked);
        std::vector<std::wstring> left{L"C:\\A\\one.xla", L"C:\\B\\two.xla"};
        if (!c.deleted) left.insert(left.begin() + 1, c.stored);
        EXPECT_EQ(r.Names(key), left);
        EXPECT_EQ(r.Names(other), std::vector<std::wstring>{c.stored});
    }
}

TEST(DeleteAddinManagerValue, AbsentKeyOrValueIsANormalReturn) {
    RegistryWorld absentKey;
    EXPECT_NO_THROW(DeleteAddinManagerValue(absentKey.w.reg, absentKey.w.st.intEXCELVER, L"C:\\Tools\\a.xla"));
    EXPECT_FALSE(absentKey.w.reg.keys.count(kKey11) > 0) << "the key must not be created";
    EXPECT_EQ(absentKey.w.reg.log, std::vector<std::wstring>{L"Delete " + kKey11 + L" C:\\Tools\\a.xla"});

    RegistryWorld absentValue;
    absentValue.w.reg.keys[kKey11] = {{L"C:\\Other\\b.xla", L"x"}};
    EXPECT_NO_THROW(DeleteAddinManagerValue(absentValue.w.reg, absentValue.w.st.intEXCELVER, L"C:\\Tools\\a.xla"));
    EXPECT_EQ(absentValue.Names(kKey11), std::vector<std::wstring>{L"C:\\Other\\b.xla"});
    EXPECT_EQ(*absentValue.w.reg.GetString(kKey11, L"C:\\Other\\b.xla"), L"x");
}

TEST(DeleteAddinManagerValue, RefusedDeletionIsNotReported) {
    struct RefusingRegistry : fake::FakeRegistry {
        RegResult DeleteValue(const std::wstring&, const std::wstring&) override { return RegResult::Failed; }
    } refusing;
    bool deleted = true;
    EXPECT_NO_THROW(deleted = DeleteAddinManagerValue(refusing, 11, L"C:\\Tools\\a.xla"));
    EXPECT_FALSE(deleted);
}

}  // namespace
}  // namespace qv
