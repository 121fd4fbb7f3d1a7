#include <windows.h>

// Placeholder until the window lands.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
