/* The planting test's second control: a program that imports user32.dll but not version.dll.
   Wine's own user32 imports version.dll (Windows' does not), so under Wine this shows whether
   a planted version.dll is loaded before any program's code runs, whatever the program does. */
#include <windows.h>

int wmain(void) {
    return GetSystemMetrics(SM_CXSCREEN) >= 0 ? 0 : 1;
}
