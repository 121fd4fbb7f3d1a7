// DLL planting: DLLs named as the system DLLs that the programs use lie beside copies of both
// programs, as anything may lie beside them in a Downloads folder. A control program that
// imports version.dll the ordinary way loads its planted copy and calls it; the programs load
// none and call none. One exception belongs to Wine alone: its own user32 imports version.dll
// and calls it, so there every program that imports user32 has a planted version.dll loaded
// and called before its first line. A second control, which imports only user32, shows what
// Wine does so; the programs are excused just that, and must still get the real functions
// themselves (quorvelc's version is read through them).
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "control_probe.h"
#include "platform/texts.h"
#include "wine_env.h"

namespace {

using qv::test::Process;
constexpr DWORD kWaitMs = 30000;
const std::vector<std::wstring> kPlanted = {L"version.dll", L"wtsapi32.dll", L"bcrypt.dll"};

// Wine prefers its builtin DLLs: the ctest entry wine_planting runs this with WINEDLLOVERRIDES
// set native first for the plants' names (Wine reads it from the Unix environment only, which
// the children inherit), so that Wine looks beside a program first, as Windows does.

// The markers that the planted DLLs left in `folder`, each "<dll>.loaded-by.<program>" or
// "<dll>.called-by.<program>", in lower case (the loader keeps the letter case of the name
// that asked for the DLL).
std::set<std::wstring> Markers(const qv::test::ScratchFolder& folder) {
    std::set<std::wstring> markers;
    for (std::wstring name : folder.Entries()) {
        std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towlower(c); });
        if (name.find(L".loaded-by.") != std::wstring::npos || name.find(L".called-by.") != std::wstring::npos)
            markers.insert(name);
    }
    return markers;
}

std::string Joined(const std::set<std::wstring>& names) {
    std::string all;
    for (const auto& n : names) all += qv::test::Narrow(n) + " ";
    return all;
}

// A visible top-level window of process `pid` titled "Quorvel SP" (the main window or a
// message box), polled for up to 30 s.
HWND FindProgramWindow(DWORD pid) { return qv::test::WaitForTitledWindow(pid, qv::texts::kAppTitle, kWaitMs); }

class Planting : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring bin = qv::test::BinDir();
        for (const std::wstring& dll : kPlanted)
            ASSERT_TRUE(CopyFileW((bin + L"\\plant\\" + dll).c_str(), folder.File(dll).c_str(), FALSE))
                << "no planted " << qv::test::Narrow(dll) << " in " << qv::test::Narrow(bin) << "\\plant";
        for (const wchar_t* exe :
             {L"plant\\plant_control.exe", L"plant\\plant_user32_control.exe", L"quorvel.exe", L"quorvelc.exe"}) {
            std::wstring from = bin + L"\\" + exe;
            std::wstring name = from.substr(from.find_last_of(L'\\') + 1);
            ASSERT_TRUE(CopyFileW(from.c_str(), folder.File(name).c_str(), FALSE)) << qv::test::Narrow(from);
        }
    }
    void TearDown() override { qv::test::EndLeftoverStandIns(); }

    qv::test::ScratchFolder folder;
};

TEST_F(Planting, OnlyTheControlProgramLoadsThePlantedDlls) {
    // The control shows that the plants and the overrides work here: it loads version.dll
    // from its own folder and calls it.
    qv::test::Ran control = qv::test::Run(folder.File(L"plant_control.exe"), L"", kWaitMs);
    ASSERT_EQ(control.exit, 0u);
    const std::set<std::wstring> byControl = {L"version.dll.loaded-by.plant_control.exe",
                                              L"version.dll.called-by.plant_control.exe"};
    ASSERT_EQ(Markers(folder), byControl) << "the control program did not load and call the planted version.dll, so the "
                                             "test cannot tell anything: run it as ctest's wine_planting, which sets "
                                             "WINEDLLOVERRIDES";
    qv::test::Ran user32 = qv::test::Run(folder.File(L"plant_user32_control.exe"), L"", kWaitMs);
    ASSERT_EQ(user32.exit, 0u);
    // What Wine's own DLLs do with the plants, before and beside any program's code.
    const std::wstring kUser32Control = L".plant_user32_control.exe";
    std::set<std::wstring> wineOwn;
    for (const std::wstring& m : Markers(folder))
        if (m.ends_with(kUser32Control)) wineOwn.insert(m.substr(0, m.size() - kUser32Control.size()));

    qv::test::Ran version = qv::test::Run(folder.File(L"quorvelc.exe"), L"--version --utf8", kWaitMs);
    EXPECT_EQ(version.exit, 0u) << version.err;
    // Read through the planted version.dll, the version would be 0.0.0.
    EXPECT_TRUE(!version.out.empty() && version.out.rfind("0.0.0", 0) != 0) << version.out;

    // The wizard reaches its window or a start-up message; then it is closed.
    {
        Process wizard(folder.File(L"quorvel.exe"), L"");
        ASSERT_TRUE(wizard.Started());
        HWND window = FindProgramWindow(wizard.Id());
        EXPECT_NE(window, nullptr) << "the wizard showed no window titled Quorvel SP";
        if (window) PostMessageW(window, WM_CLOSE, 0, 0);
        wizard.Wait(kWaitMs);
    }

    std::set<std::wstring> programs;
    for (const std::wstring& m : Markers(folder)) {
        for (const std::wstring program : {L".quorvel.exe", L".quorvelc.exe"})
            if (m.ends_with(program) && !wineOwn.count(m.substr(0, m.size() - program.size()))) programs.insert(m);
    }
    EXPECT_TRUE(programs.empty()) << "planted DLLs loaded or called by the programs: " << Joined(programs);
}

}  // namespace
