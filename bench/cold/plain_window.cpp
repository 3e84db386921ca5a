// The yardstick of the cold-start benchmark: the least a Windows program does to show a window of
// the update window's size. It paints its background, signals the end of its first paint through
// the event the benchmark names (the same variable updater.exe reads) and waits to be ended.

#ifdef PLAIN_WINDOW_WITH_UPDATER_IMPORTS
// winsock2.h must precede windows.h.
#include <winsock2.h>
#endif
#include <windows.h>

#ifdef PLAIN_WINDOW_WITH_UPDATER_IMPORTS
// The same program importing every DLL updater.exe imports: the difference is what loading them
// costs a process at its start. One function of each is referenced, never called. A third build
// leaves out the DLLs only the download needs (TLS, sockets, proxy, hashes): what the window
// alone would import.
#include <gdiplus.h>
#include <objbase.h>
#include <shellapi.h>
#include <commctrl.h>
#include <wincrypt.h>
#include <winhttp.h>
#include <bcrypt.h>
#define SECURITY_WIN32
#include <security.h>

extern "C" {
extern void* volatile g_imports[];
void* volatile g_imports[] = {
    reinterpret_cast<void*>(&Gdiplus::GdiplusStartup), reinterpret_cast<void*>(&CoInitialize),
    reinterpret_cast<void*>(&Shell_NotifyIconW),         reinterpret_cast<void*>(&InitCommonControlsEx),
#ifndef PLAIN_WINDOW_WITHOUT_DOWNLOAD_IMPORTS
    reinterpret_cast<void*>(&CertOpenSystemStoreW),      reinterpret_cast<void*>(&WinHttpOpen),
    reinterpret_cast<void*>(&WSAStartup),                reinterpret_cast<void*>(&BCryptOpenAlgorithmProvider),
    reinterpret_cast<void*>(&AcquireCredentialsHandleW), reinterpret_cast<void*>(&RegOpenKeyExW),
#endif
};
}
#endif

namespace {

bool g_painted = false;

void SignalFirstPaint() {
    wchar_t name[128];
    const DWORD length = GetEnvironmentVariableW(L"UPDATER_FIRST_PAINT_EVENT", name, ARRAYSIZE(name));
    if (length == 0 || length >= ARRAYSIZE(name)) return;
    if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
        SetEvent(event);
        CloseHandle(event);
    }
}

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        // The background is the class brush's, erased by BeginPaint.
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        if (!g_painted) {
            g_painted = true;
            SignalFirstPaint();
        }
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PlainProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BenchPlainWindow";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&windowClass);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 300) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - 160) / 2;
    CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlainWindow", L"plain", WS_POPUP | WS_VISIBLE, x, y, 300, 160,
                    nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
