// The resources of both programs as Explorer and Windows read them: the icon first, with every
// size, and a manifest that runs them as the invoker on the systems they name.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "wine_env.h"

namespace {

struct Module {
    HMODULE h;
    explicit Module(const std::wstring& path)
        : h(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~Module() {
        if (h) FreeLibrary(h);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    std::string Bytes(LPCWSTR name, LPCWSTR type) const {
        HRSRC r = FindResourceW(h, name, type);
        if (!r) return {};
        const char* p = static_cast<const char*>(LockResource(LoadResource(h, r)));
        return p ? std::string(p, SizeofResource(h, r)) : std::string();
    }
};

// The names of a module's resources of one type, in the order the resource section holds them.
std::vector<std::wstring> Names(HMODULE m, LPCWSTR type) {
    std::vector<std::wstring> names;
    EnumResourceNamesW(
        m, type,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR p) -> BOOL {
            auto* out = reinterpret_cast<std::vector<std::wstring>*>(p);
            out->push_back(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&names));
    return names;
}

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Resources, BothProgramsCarryTheIconFirstAndAManifest) {
    for (const wchar_t* exe : {L"quorvel.exe", L"quorvelc.exe"}) {
        SCOPED_TRACE(qv::test::Narrow(exe));
        Module m(qv::test::BinDir() + L"\\" + exe);
        ASSERT_NE(m.h, nullptr);

        const std::vector<std::wstring> groups = Names(m.h, RT_GROUP_ICON);
        ASSERT_FALSE(groups.empty()) << "no icon";
        EXPECT_EQ(groups.front(), L"#1") << "Explorer shows the first icon";
        const std::string group = m.Bytes(MAKEINTRESOURCEW(1), RT_GROUP_ICON);
        ASSERT_GE(group.size(), 6u);
        const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
        ASSERT_EQ(group.size(), 6 + count * sizeof(GroupEntry));
        std::set<int> sizes;
        for (WORD i = 0; i < count; ++i) {
            const auto* e = reinterpret_cast<const GroupEntry*>(group.data() + 6 + i * sizeof(GroupEntry));
            sizes.insert(e->width ? e->width : 256);
        }
        EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));
        for (int size : {16, 32, 256}) {
            HANDLE icon = LoadImageW(m.h, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
            EXPECT_NE(icon, nullptr) << size << " px";
            if (icon) DestroyIcon(static_cast<HICON>(icon));
        }

        const std::string manifest = m.Bytes(MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_FALSE(manifest.empty()) << "no manifest";
        EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
        EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos) << "Windows 10 and 11";
        EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos) << "Windows 7";
        // The programs add the \\?\ prefix to long paths themselves.
        EXPECT_EQ(manifest.find("longPathAware"), std::string::npos);
    }
}

}  // namespace
