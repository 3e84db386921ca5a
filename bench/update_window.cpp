// The skinned update window against a plain native window of the same size that only fills its
// background: the time from creating the window to the end of its first complete paint, and what
// the update window holds (working set, private bytes, GDI and USER objects) at its start, after
// 5,000 and after 10,000 progress messages, each painted. The download is held by a loopback
// server so that the window stays in its downloading state throughout.

// The loopback server brings winsock2.h, which must precede windows.h.
#include "tests/support/http_server.h"

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/core/window_host.h"
#include "updater/update_window.h"

namespace {

constexpr int kRuns = 5;
constexpr int kProgressMessages = 10000;
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
    return 0;
}
