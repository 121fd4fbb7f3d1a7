#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

int main(int argc, char** argv) {
    // `--hold-clipboard <name>`: another program holding the clipboard, from "<name>-held" being
    // set until "<name>-release" is.
    if (argc == 3 && std::strcmp(argv[1], "--hold-clipboard") == 0) {
        HANDLE held = CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[2]) + "-held").c_str());
        HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[2]) + "-release").c_str());
        if (!OpenClipboard(nullptr)) return 1;
        SetEvent(held);
        WaitForSingleObject(release, 60000);
        CloseClipboard();
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
