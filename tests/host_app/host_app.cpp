// A sample host application for the demo and the tests (never shipped). It publishes its main
// window in the shared record the updater reads, closes on WM_SYSCOMMAND/SC_CLOSE, and appends
// what happened to "<exe name>.log" beside itself so a test can see it.
//
// Options for tests: --hang (stops answering messages once asked to close), --ignore-close
// (refuses to close), --load=PATH (loads that DLL, as a plug-in), --exit-delay=MS (takes that long to shut down after the request),
// --quit-with=CODE (ends with that exit code 200 ms after its start, before any window),
// --copy-then-crash[=stubborn] (starts a second copy of itself, one that ignores the close
// request when stubborn, and then ends with an access violation's status before any window).
// The updater starts a program without arguments, so a build also takes its options from the
// environment variable HOST_APP_OLD_OPTIONS or HOST_APP_NEW_OPTIONS (blank-separated); a copy
// started by --copy-then-crash takes none from there.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
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
    bool quit = false;
    int quitCode = 0;
    bool copyThenCrash = false;
    bool stubbornCopy = false;
    bool isCopy = false;
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

void ParseOption(const wchar_t* option, Options& options) {
    if (wcscmp(option, L"--hang") == 0) options.hang = true;
    if (wcscmp(option, L"--ignore-close") == 0) options.ignoreClose = true;
    if (wcsncmp(option, L"--exit-delay=", 13) == 0) options.exitDelayMs = wcstoul(option + 13, nullptr, 10);
    if (wcsncmp(option, L"--quit-with=", 12) == 0) {
        options.quit = true;
        options.quitCode = static_cast<int>(wcstol(option + 12, nullptr, 10));
    }
    if (wcsncmp(option, L"--copy-then-crash", 17) == 0) {
        options.copyThenCrash = true;
        options.stubbornCopy = wcscmp(option + 17, L"=stubborn") == 0;
    }
    if (wcscmp(option, L"--copy") == 0) options.isCopy = true;
    if (wcsncmp(option, L"--load=", 7) == 0) LoadLibraryW(option + 7);
}

void ParseArguments(const wchar_t* commandLine, Options& options) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &count);
    for (int i = 1; argv != nullptr && i < count; ++i) ParseOption(argv[i], options);
    LocalFree(argv);
}

Options ParseOptions() {
    Options options;
    ParseArguments(GetCommandLineW(), options);
    wchar_t fromEnvironment[512] = L"host ";
    const wchar_t* name = HOST_APP_VERSION[0] == 'n' ? L"HOST_APP_NEW_OPTIONS" : L"HOST_APP_OLD_OPTIONS";
    if (!options.isCopy && GetEnvironmentVariableW(name, fromEnvironment + 5, 500) > 0) {
        ParseArguments(fromEnvironment, options);
    }
    return options;
}

// Whether the log beside the program has a line with `text`.
bool Logged(const std::string& text) {
    FILE* log = _wfopen(LogPath().c_str(), L"r");
    if (log == nullptr) return false;
    char line[256];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, log) != nullptr) found = std::strstr(line, text.c_str()) != nullptr;
    std::fclose(log);
    return found;
}

// A program that starts a copy of itself and then dies: the copy holds the program file while
// the one the updater watches ends with a crash status. It waits for the copy by its log, not
// by WaitForInputIdle: under Wine a process that waits there counts as idle itself.
int StartCopyThenCrash(bool stubborn) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(path) + L"\" --copy" + (stubborn ? L" --ignore-close" : L"");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(path, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        const std::string started = std::string("started ") + HOST_APP_VERSION + " " + std::to_string(info.dwProcessId);
        for (int i = 0; i < 500 && !Logged(started); ++i) Sleep(20);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    // Ends as Windows' error reporting ends a program after an access violation. A real one
    // would not do under Wine: it keeps the crashed process while it tries to start a debugger.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(EXCEPTION_ACCESS_VIOLATION));
    return 2;
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
    if (g_options.quit) {
        Sleep(200);
        return g_options.quitCode;
    }
    if (g_options.copyThenCrash) return StartCopyThenCrash(g_options.stubbornCopy);
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
