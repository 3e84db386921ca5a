// A sample host application for the demo and the tests (never shipped). It publishes its main
// window in the shared record the updater reads, closes on WM_SYSCOMMAND/SC_CLOSE, and appends
// what happened to "<exe name>.log" beside itself so a test can see it.
//
// Options for tests: --hang (stops answering messages once asked to close), --ignore-close
// (refuses to close), --exit-delay=MS (takes that long to shut down after the request).

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "client/updater_client.h"

#ifndef HOST_APP_VERSION
#error "HOST_APP_VERSION must name the build (old or new)"
#endif

namespace {

const wchar_t kClassName[] = L"UpdaterSampleHost";

struct Options {
    bool hang = false;
    bool ignoreClose = false;
    DWORD exitDelayMs = 0;
};
Options g_options;

std::wstring LogPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path) + L".log";
}

void Log(const char* event) {
    FILE* log = _wfopen(LogPath().c_str(), L"a");
    if (log == nullptr) return;
    std::fprintf(log, "%s %s %lu\n", event, HOST_APP_VERSION, GetCurrentProcessId());
    std::fclose(log);
}

Options ParseOptions() {
    Options options;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; argv != nullptr && i < count; ++i) {
        if (wcscmp(argv[i], L"--hang") == 0) options.hang = true;
        if (wcscmp(argv[i], L"--ignore-close") == 0) options.ignoreClose = true;
        if (wcsncmp(argv[i], L"--exit-delay=", 13) == 0) options.exitDelayMs = wcstoul(argv[i] + 13, nullptr, 10);
    }
    LocalFree(argv);
    return options;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        Log("close-requested");
        if (g_options.hang) {
            for (;;) Sleep(1000);
        }
        if (g_options.ignoreClose) return 0;
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        const std::wstring text = L"Sample host application, version " + std::wstring(HOST_APP_WVERSION);
        DrawTextW(dc, text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    g_options = ParseOptions();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, kClassName, L"Sample host " HOST_APP_WVERSION, WS_OVERLAPPEDWINDOW, 40, 40,
                                  360, 140, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 2;
    updater_client::HostWindowRecord record;
    record.Publish(window);
    ShowWindow(window, show);
    Log("started");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    record.Withdraw();
    if (g_options.exitDelayMs > 0) Sleep(g_options.exitDelayMs);
    Log("closed");
    return 0;
}
