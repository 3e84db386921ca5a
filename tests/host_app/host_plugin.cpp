// A plug-in with nothing in it but its presence: a process that loaded it holds its file.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
