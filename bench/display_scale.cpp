// The update window at 96 and at 144 DPI (150 %): the time from creating the window to the end
// of its first complete paint, and one full repaint of the whole window. Wine takes the DPI from
// the user's LogPixels when a program starts, so each DPI is measured in a run of this program
// of its own (started with LogPixels set; the setting is put back afterwards); the runs write
// their medians to a file that the first run reads. Goal: 144 DPI within 2.25x of 96 DPI, the
// ratio of their pixel counts.

// The loopback server brings winsock2.h, which must precede windows.h.
#include "tests/support/http_server.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bench_window.h"
#include "tests/support/display_dpi.h"
#include "ui/core/window_host.h"
#include "updater/update_window.h"

namespace {

constexpr int kRuns = 7;
constexpr int kRepaintBatches = 9;
constexpr int kRepaintsPerBatch = 50;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds since the first call.
double NowMs() {
    static LARGE_INTEGER origin = {};
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (origin.QuadPart == 0) origin = now;
    return BenchSeconds(origin, now) * 1000.0;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// The download is held by the server, so the window stays in its downloading state.
HWND OpenWindow(const TestHttpServer& server) {
    auto* window = new CUpdateWnd(server.WideUrl("/held.exe"), L"C:\\nowhere\\bench_target.exe");
    HWND handle = window->Create(nullptr, L"在线升级",
                                 WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU,
                                 WS_EX_TOOLWINDOW);
    ShowWindow(handle, SW_SHOWNOACTIVATE);
    UpdateWindow(handle);
    return handle;
}

// This run's figures: first paint and full repaint, in milliseconds.
void Measure(double& firstPaint, double& repaint, SIZE& size) {
    TestHttpServer server;
    HttpResponse held = HttpResponse::Ok(std::string(1 << 20, 'x'));
    held.holdBody = true;
    server.Route("/held.exe", held);
    std::vector<double> firsts;
    for (int run = 0; run <= kRuns; ++run) {  // the first run (process start-up costs) apart
        const double start = NowMs();
        HWND handle = OpenWindow(server);
        const double took = NowMs() - start;
        if (run > 0) firsts.push_back(took);
        if (run < kRuns) {
            DestroyWindow(handle);
            Pump();
            continue;
        }
        RECT rc;
        GetWindowRect(handle, &rc);
        size = {rc.right - rc.left, rc.bottom - rc.top};
        std::vector<double> batches;
        for (int batch = 0; batch < kRepaintBatches; ++batch) {
            const double begin = NowMs();
            for (int i = 0; i < kRepaintsPerBatch; ++i) {
                InvalidateRect(handle, nullptr, FALSE);
                UpdateWindow(handle);
            }
            batches.push_back((NowMs() - begin) / kRepaintsPerBatch);
        }
        repaint = Median(batches);
        DestroyWindow(handle);
        Pump();
    }
    firstPaint = Median(firsts);
    server.ReleaseHeldBodies();
}

std::wstring FiguresFile(int dpi) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"bench_display_scale_" + std::to_wstring(dpi) + L".txt";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr));
    if (argc == 3 && wcscmp(argv[1], L"--figures") == 0) {
        double firstPaint = 0, repaint = 0;
        SIZE size = {};
        Measure(firstPaint, repaint, size);
        if (FILE* out = _wfopen(argv[2], L"w")) {
            std::fprintf(out, "%f %f %ld %ld\n", firstPaint, repaint, size.cx, size.cy);
            std::fclose(out);
        }
        return 0;
    }
    std::printf("update window, median of %d first paints and of %d batches of %d full repaints\n", kRuns,
                kRepaintBatches, kRepaintsPerBatch);
    double figures[2][2] = {};
    const int dpis[2] = {96, 144};
    for (int i = 0; i < 2; ++i) {
        const std::wstring file = FiguresFile(dpis[i]);
        DeleteFileW(file.c_str());
        long size[2] = {};
        FILE* in = nullptr;
        if (RunSelfAtDpi(dpis[i], L"--figures \"" + file + L"\"") != 0 || !(in = _wfopen(file.c_str(), L"r")) ||
            std::fscanf(in, "%lf %lf %ld %ld", &figures[i][0], &figures[i][1], &size[0], &size[1]) != 4) {
            std::printf("  the run at %d DPI gave no figures\n", dpis[i]);
            if (in) std::fclose(in);
            return 1;
        }
        std::fclose(in);
        DeleteFileW(file.c_str());
        std::printf("  %3d DPI, window %ld x %ld: first paint %.2f ms, full repaint %.3f ms\n", dpis[i], size[0],
                    size[1], figures[i][0], figures[i][1]);
    }
    std::printf("  144 / 96 DPI: first paint %.2fx, full repaint %.2fx (goal within 2.25x)\n",
                figures[1][0] / figures[0][0], figures[1][1] / figures[0][1]);
    return 0;
}
