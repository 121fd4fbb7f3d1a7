#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// `--hold-clipboard <name>`: as another program would, holds the clipboard open until the event
// "<name>-release" is set (at most 60 s), after setting "<name>-held" once it has it.
static int HoldClipboard(const char* name) {
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, (std::string(name) + "-held").c_str());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (std::string(name) + "-release").c_str());
    if (!held || !release || !OpenClipboard(nullptr)) return 1;
    SetEvent(held);
    WaitForSingleObject(release, 60000);
    CloseClipboard();
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--hold-clipboard") == 0) return HoldClipboard(argv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
