/* The planting test's control: a program that imports version.dll the ordinary way, as the
   programs did before, so that the loader takes a version.dll lying beside it. */
#include <windows.h>

int wmain(void) {
    DWORD ignored = 0;
    GetFileVersionInfoSizeW(L"kernel32.dll", &ignored);
    return 0;
}
