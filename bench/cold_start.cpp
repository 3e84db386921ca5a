// A fresh updater.exe against a minimal plain-window program (bench_plain_window.exe), both
// started as whole processes the same way: the time from creating the process to the end of its
// first complete paint, which each program signals through the event named in
// UPDATER_FIRST_PAINT_EVENT. The updater runs as in an update: skin from its resource, tray icon,
// download started (held by a loopback server, so the window stays in its downloading state).
// Median of 9 alternating runs after one discarded pair; prints the ratio (goal <= 1.5). The
// "check for updates" window (--check --now) is measured the same way, its feed held back.
//
// First, once, in this benchmark's own fresh process: where a cold start's time goes, step by
// step in the order the updater takes them (each step is the first of its kind in the process).

// The loopback server brings winsock2.h, which must precede windows.h.
#include "tests/support/http_server.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "ui/core/skin_resource_reader.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"
#include "updater/first_paint.h"
#include "updater/paths.h"
#include "updater/update_log.h"
#include "updater/update_window.h"
#include "bench/bench_clock.h"

namespace {

constexpr int kRuns = 9;
constexpr DWORD kSettleMs = 3000;
constexpr DWORD kUpdaterStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const wchar_t kTarget[] = L"C:\\nowhere\\bench_cold_start.exe";

// Times one step and prints it.
template <typename Work>
void Step(const char* what, Work step) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    step();
    std::printf("  %-62s %8.2f ms\n", what, MillisecondsSince(start));
}

// From the kernel's creation of this process to now (100 ns units of the system clock).
double MillisecondsSinceProcessCreation() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

void DrawSkinTexts() {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 40);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    LOGFONTW font = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfHeight = -12;
    wcscpy(font.lfFaceName, L"微软雅黑");
    HFONT regular = CreateFontIndirectW(&font);
    font.lfWeight += 700;
    HFONT bold = CreateFontIndirectW(&font);
    RECT box = {0, 0, 300, 40};
    for (HFONT each : {regular, bold}) {
        HGDIOBJ oldFont = SelectObject(dc, each);
        TEXTMETRICW metrics;
        GetTextMetricsW(dc, &metrics);
        DrawTextW(dc, L"最小化到任务栏 文件下载 42%", -1, &box, DT_SINGLELINE);
        SelectObject(dc, oldFont);
    }
    DeleteObject(regular);
    DeleteObject(bold);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

// The icon is added as the updater adds it; removing it is timed apart (the updater removes it
// only when it closes).
void TrayIconSteps() {
    HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = sink;
    data.uID = 1;
    data.uFlags = NIF_ICON | NIF_TIP;
    wcscpy(data.szTip, L"程序更新中");
    Step("tray icon: loading icon 107", [&] {
        data.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(107), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                                   LR_DEFAULTCOLOR));
    });
    Step("tray icon: adding it (Shell_NotifyIconW NIM_ADD)", [&] { Shell_NotifyIconW(NIM_ADD, &data); });
    Step("tray icon: removing it (at the updater's close, not start)", [&] { Shell_NotifyIconW(NIM_DELETE, &data); });
    DestroyIcon(data.hIcon);
    DestroyWindow(sink);
}

void OpenSkinArchive() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(129), L"ZIPRES");
    const DWORD size = SizeofResource(module, found);
    auto* copy = new unsigned char[size];  // kept for the process, as the window base keeps its copy
    memcpy(copy, LockResource(LoadResource(module, found)), size);
    CWindowHostUI::UseSkinArchiveMemory(copy, size);
    std::vector<unsigned char> xml;
    ReadSkinResource(L"downdlg.xml", 1 << 20, &xml);
}

void DecodeSkinImages() {
    for (const wchar_t* name : {L"download_bg.png", L"progress_fore.png", L"button.png"}) {
        CGdiPainter::DestroyImage(CGdiPainter::LoadSkinImage(name, nullptr, 0));
    }
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void PrintBreakdown(const TestHttpServer& server) {
    std::printf("where a cold start goes (this fresh process, each step the first of its kind):\n");
    std::printf("  %-62s %8.2f ms\n", "process creation to the entry point (Wine loader, DLLs)",
                MillisecondsSinceProcessCreation());
    Step("first log line", [] { LogLine("bench: cold start breakdown"); });
    Step("CoInitialize", [] { CoInitialize(nullptr); });
    Step("GDI+ start-up", [] { CGdiplusSession session; });
    Step("skin archive: resource copy, open, read downdlg.xml", OpenSkinArchive);
    Step("fonts: two 微软雅黑 fonts, metrics, Chinese text drawn", DrawSkinTexts);
    Step("decoding the skin's three images", DecodeSkinImages);
    TrayIconSteps();
    HWND handle = nullptr;
    Step("update window: creation with the skin built (the rest warm)", [&] {
        auto* window = new CUpdateWnd(server.WideUrl("/held.exe"), kTarget);
        handle = window->Create(nullptr, L"在线升级", kUpdaterStyle, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE);
    });
    Step("update window: shown, first paint, download started", [&] {
        ShowWindow(handle, SW_SHOWNOACTIVATE);
        UpdateWindow(handle);
    });
    DestroyWindow(handle);
    Pump();
    DeleteFileW(TempDownloadPath(kTarget).c_str());
}

// Starts `exe` with the first-paint event named in its environment and returns the milliseconds
// from before CreateProcess to the event; the process is then ended. Negative: no first paint.
double ProcessToFirstPaint(const std::wstring& exe, const std::wstring& arguments, int serial) {
    const double elapsed = TimeToFirstPaint(exe, arguments, serial, [](DWORD) {});
    // Wine takes seconds to take a shown window off the display, and the next program's window
    // would wait for it: the next run starts on a quiet display.
    Sleep(kSettleMs);
    DeleteFileW(TempDownloadPath(kTarget).c_str());
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Program {
    std::wstring label;
    std::wstring exe;
    std::wstring arguments;
    std::vector<double> runs;
};

void PrintRow(const Program& program, double plainMedian) {
    const bool ok = std::all_of(program.runs.begin(), program.runs.end(), [](double v) { return v > 0; });
    const double median = Median(program.runs);
    std::printf("  %s %-22ls %7.1f ms (%.1f-%.1f)", ok ? "ok  " : "FAIL", program.label.c_str(), median,
                *std::min_element(program.runs.begin(), program.runs.end()),
                *std::max_element(program.runs.begin(), program.runs.end()));
    if (plainMedian > 0) std::printf(", ratio %.2f (goal <= 1.5)", median / plainMedian);
    std::printf("\n");
}

}  // namespace

//   bench_cold_start.exe [path\to\another\updater.exe]
// Another updater (an earlier build, say) is measured alongside, in the same alternation.
int wmain(int argc, wchar_t** argv) {
    CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr));
    CWindowHostUI::SetResourceFolder(CWindowHostUI::ExecutableFolder());
    TestHttpServer server;
    HttpResponse held = HttpResponse::Ok(std::string(1 << 20, 'x'));
    held.holdBody = true;
    server.Route("/held.exe", held);
    PrintBreakdown(server);

    const std::wstring updaterArguments = Quoted(server.WideUrl("/held.exe")) + L" " + Quoted(kTarget);
    std::vector<Program> programs = {{L"plain window", ProgramFolder() + L"bench_plain_window.exe", L"", {}},
                                     {L"plain, updater's DLLs", ProgramFolder() + L"bench_plain_window_imports.exe", L"", {}},
                                     {L"plain, window's DLLs", ProgramFolder() + L"bench_plain_window_ui_imports.exe", L"", {}},
                                     {L"updater.exe", ProgramFolder() + L"updater.exe", updaterArguments, {}}};
    // "Check for updates": the waiting window's first paint, while the feed's server (a loopback
    // socket that never answers the TLS hello) keeps the check waiting.
    unsigned short silentPort = 0;
    const uintptr_t silent = ListenOnLoopback(silentPort);
    const std::wstring checkArguments = L"--check --now https://127.0.0.1:" + std::to_wstring(silentPort) +
                                        L"/appcast.xml " + Quoted(ProgramFolder() + L"host_app_v1.exe");
    programs.push_back({L"updater.exe --check --now", ProgramFolder() + L"updater.exe", checkArguments, {}});
    if (argc > 1) programs.push_back({argv[1], argv[1], updaterArguments, {}});
    int serial = 0;
    for (const Program& program : programs) {
        ProcessToFirstPaint(program.exe, program.arguments, serial++);  // the first start is not counted
    }
    for (int run = 0; run < kRuns; ++run) {
        // Alternating, and rotating which goes first, so no program gets the quieter moments.
        for (size_t i = 0; i < programs.size(); ++i) {
            Program& program = programs[(run + i) % programs.size()];
            program.runs.push_back(ProcessToFirstPaint(program.exe, program.arguments, serial++));
        }
    }
    std::printf("whole process, creation to the end of the first complete paint (median of %d alternating):\n",
                kRuns);
    const double plainMedian = Median(programs[0].runs);
    bool ok = true;
    for (const Program& program : programs) {
        PrintRow(program, &program == &programs[0] ? 0 : plainMedian);
        ok = ok && std::all_of(program.runs.begin(), program.runs.end(), [](double v) { return v > 0; });
    }
    if (silent != ~static_cast<uintptr_t>(0)) closesocket(static_cast<SOCKET>(silent));
    return ok ? 0 : 1;
}
