// The skinned update window against a plain native window of the same size that only fills its
// background: the time from creating the window to the end of its first complete paint, and what
// the update window holds (working set, private bytes, GDI and USER objects) at its start, after
// 5,000 and after 10,000 progress messages, each painted. The download is held by a loopback
// server so that the window stays in its downloading state throughout.
// Last, a real 256 MiB download with the skinned window in the loop (every percentage painted)
// against curl.exe fetching the same file from the same server.

// The loopback server brings winsock2.h, which must precede windows.h.
#include "tests/support/http_server.h"

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "ui/core/window_host.h"
#include "updater/delivery/download.h"
#include "updater/paths.h"
#include "updater/update_window.h"

#include <curl/curl.h>

namespace {

constexpr int kRuns = 5;
constexpr int kProgressMessages = 10000;
constexpr long long kTransferBytes = 256LL * 1024 * 1024;
constexpr DWORD kUpdaterStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Creation, showing and the synchronous first paint of each kind of window; the window is then
// destroyed (not timed).
double PlainFirstPaint() {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"BenchPlainWindow", L"plain", WS_POPUP, 0, 0, 300, 160,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    QueryPerformanceCounter(&end);
    DestroyWindow(window);
    return Milliseconds(start, end);
}

HWND OpenUpdateWindow(const TestHttpServer& server) {
    auto* window = new CUpdateWnd(server.WideUrl("/held.exe"), L"C:\\nowhere\\bench_target.exe");
    HWND handle = window->Create(nullptr, L"在线升级", kUpdaterStyle, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE);
    ShowWindow(handle, SW_SHOWNOACTIVATE);
    UpdateWindow(handle);
    return handle;
}

double UpdateWindowFirstPaint(const TestHttpServer& server) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    HWND handle = OpenUpdateWindow(server);
    QueryPerformanceCounter(&end);
    DestroyWindow(handle);
    Pump();
    return Milliseconds(start, end);
}

// curl.exe from the dependency cache, as Wine shows the Unix file system (drive Z:).
std::wstring CurlExe() {
    wchar_t cache[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"UPDATER_DEPS_CACHE", cache, MAX_PATH) == 0) {
        wcscpy(cache, L"/var/cache/updater-deps");
    }
    std::wstring path = L"Z:" + std::wstring(cache) + L"/curl/bin/curl.exe";
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// When the worker's outcome reached the update window: under Wine without a window manager,
// hiding a shown window takes about as long as destroying one (seconds), so the transfer ends
// here, not when the window is seen hidden.
LARGE_INTEGER g_finishedAt;

LRESULT CALLBACK NoteFinished(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_DOWNLOAD_FINISHED && g_finishedAt.QuadPart == 0) {
        QueryPerformanceCounter(&g_finishedAt);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Wall time of a whole update window's download: from creating the window (the download starts
// at its first paint) to the worker's outcome arriving at the window. The
// target does not exist, so nothing is installed; the download is removed afterwards.
double SkinnedTransferSeconds(const std::wstring& url) {
    const std::wstring target = L"C:\\nowhere\\bench_transfer.bin";
    g_finishedAt.QuadPart = 0;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, NoteFinished, nullptr, GetCurrentThreadId());
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    auto* window = new CUpdateWnd(url, target);
    HWND handle = window->Create(nullptr, L"在线升级", kUpdaterStyle, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE);
    ShowWindow(handle, SW_SHOWNOACTIVATE);
    UpdateWindow(handle);
    // The window hides itself between messages, so its visibility is looked at every few
    // milliseconds rather than only when a message arrives (the next one is the close timer).
    while (IsWindow(handle) && IsWindowVisible(handle)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (hook) UnhookWindowsHookEx(hook);
    if (IsWindow(handle)) DestroyWindow(handle);
    Pump();
    DeleteFileW(TempDownloadPath(target).c_str());
    return g_finishedAt.QuadPart ? Milliseconds(start, g_finishedAt) / 1000.0 : 0;
}

// Wall time of the same transfer through the updater's path with no window to paint: the worker
// posts its progress to a message-only window whose messages are pumped, as in the program.
double BareTransferSeconds(const std::wstring& url) {
    const std::wstring output = TempFolder() + L"bench-update-window-bare.bin";
    DeleteFileW(output.c_str());
    HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    std::atomic<bool> done(false);
    bool ok = false;
    std::thread worker([&] {
        curl_global_init(CURL_GLOBAL_ALL);
        CURL* curl = curl_easy_init();
        ok = DownloadToFile(curl, sink, UrlForTransfer(url), output);
        curl_easy_cleanup(curl);
        curl_global_cleanup();
        done = true;
        PostMessageW(sink, WM_NULL, 0, 0);
    });
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
    }
    worker.join();
    QueryPerformanceCounter(&end);
    DestroyWindow(sink);
    DeleteFileW(output.c_str());
    return ok ? Milliseconds(start, end) / 1000.0 : 0;
}

// Wall time of curl.exe fetching the same URL, process start included.
double CurlTransferSeconds(const std::wstring& url) {
    const std::wstring output = TempFolder() + L"bench-update-window-curl.bin";
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    ChildProcess curl;
    const bool ok =
        curl.Start(CurlExe(), L"-s -o \"" + output + L"\" \"" + url + L"\"") && curl.Wait(600000) == 0;
    QueryPerformanceCounter(&end);
    DeleteFileW(output.c_str());
    return ok ? Milliseconds(start, end) / 1000.0 : 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void PrintUsage(const char* when) {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    // Wine leaves PrivateUsage at 0; the commit charge of the process is the same figure there.
    const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    std::printf("  %-28s working set %7.2f MiB, private %7.2f MiB, GDI objects %lu, USER objects %lu\n", when,
                memory.WorkingSetSize / 1048576.0, privateBytes / 1048576.0,
                GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
}

}  // namespace

int wmain() {
    CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr));
    CWindowHostUI::SetResourceFolder(CWindowHostUI::ExecutableFolder());
    WNDCLASSW plainClass = {};
    plainClass.lpfnWndProc = PlainProcedure;
    plainClass.hInstance = GetModuleHandleW(nullptr);
    plainClass.lpszClassName = L"BenchPlainWindow";
    RegisterClassW(&plainClass);

    TestHttpServer server;
    HttpResponse held = HttpResponse::Ok(std::string(1 << 20, 'x'));
    held.holdBody = true;
    server.Route("/held.exe", held);

    std::printf("start to first complete paint, 300 x 160, median of %d runs (first run apart)\n", kRuns);
    std::vector<double> plain, skinned;
    const double firstSkinned = UpdateWindowFirstPaint(server);
    const double firstPlain = PlainFirstPaint();
    for (int run = 0; run < kRuns; ++run) {
        plain.push_back(PlainFirstPaint());
        skinned.push_back(UpdateWindowFirstPaint(server));
    }
    const double plainMedian = Median(plain);
    const double skinnedMedian = Median(skinned);
    std::printf("  first run:  update window %.2f ms, plain window %.2f ms\n", firstSkinned, firstPlain);
    std::printf("  later runs: update window %.2f ms, plain window %.2f ms, ratio %.2f\n", skinnedMedian,
                plainMedian, skinnedMedian / plainMedian);

    std::printf("resources of one update window across %d painted progress messages\n", kProgressMessages);
    HWND handle = OpenUpdateWindow(server);
    Pump();
    PrintUsage("at start");
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 1; i <= kProgressMessages; ++i) {
        SendMessageW(handle, WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(i % 101), 0);
        UpdateWindow(handle);
        if (i == kProgressMessages / 2) PrintUsage("after 5,000 messages");
    }
    QueryPerformanceCounter(&end);
    PrintUsage("after 10,000 messages");
    std::printf("  %.1f us per progress message, painted\n",
                Milliseconds(start, end) * 1000.0 / kProgressMessages);
    DestroyWindow(handle);
    Pump();
    server.ReleaseHeldBodies();

    HttpResponse file;
    file.generatedBytes = kTransferBytes;
    file.pieceBytes = 256 * 1024;
    server.Route("/transfer.bin", file);
    const std::wstring url = server.WideUrl("/transfer.bin");
    std::printf(
        "256 MiB download: skinned window in the loop, the same path without a window, curl.exe "
        "(wall time, median of %d)\n",
        kRuns);
    std::vector<double> skinnedRuns, bareRuns, curlRuns;
    for (int run = 0; run < kRuns; ++run) {
        skinnedRuns.push_back(SkinnedTransferSeconds(url));
        bareRuns.push_back(BareTransferSeconds(url));
        curlRuns.push_back(CurlTransferSeconds(url));
    }
    const double withWindow = Median(skinnedRuns), bare = Median(bareRuns), curl = Median(curlRuns);
    if (withWindow > 0 && bare > 0 && curl > 0) {
        std::printf("  update window %.2f s, no window %.2f s, curl.exe %.2f s\n", withWindow, bare, curl);
        std::printf(
            "  ratio curl.exe/update window %.2f (goal >= 0.95), curl.exe/no window %.2f, no "
            "window/update window %.2f\n",
            curl / withWindow, curl / bare, bare / withWindow);
    } else {
        std::printf("  a transfer failed (curl.exe missing?)\n");
    }
    return 0;
}
