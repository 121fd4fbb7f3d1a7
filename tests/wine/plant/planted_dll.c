/* A planted DLL: what an attacker would put beside the programs in a Downloads folder. When it
   is loaded it leaves a marker beside itself, <its name>.loaded-by.<the program's name>, and
   when one of its functions is called (its .def file lists them) another, <its
   name>.called-by.<the program's name>; the functions only fail. */
#include <windows.h>

static HINSTANCE self_;

static const wchar_t* BaseName(const wchar_t* path) {
    const wchar_t* base = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') base = p + 1;
    return base;
}

static void LeaveMarker(const wchar_t* what) {
    wchar_t dll[MAX_PATH], exe[MAX_PATH], marker[3 * MAX_PATH];
    if (!GetModuleFileNameW(self_, dll, MAX_PATH) || !GetModuleFileNameW(NULL, exe, MAX_PATH)) return;
    wsprintfW(marker, L"%s.%s.%s", dll, what, BaseName(exe));
    HANDLE h = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        self_ = self;
        LeaveMarker(L"loaded-by");
    }
    return TRUE;
}

/* Every export of the .def file is this one function: with the x64 calling convention the
   caller cleans up, so one body serves every signature. */
INT_PTR WINAPI PlantedFunction(void) {
    LeaveMarker(L"called-by");
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}
