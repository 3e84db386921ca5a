// Prints the cost of turning mouse moves into events and of name lookups.
//
// A grid of cells (rows of a vertical layout, each a horizontal layout of cells) is installed in
// a real window's host and laid out over 1000 x 1000 pixels. Mouse moves are sent to the window
// at points that walk across the grid, so most moves change the hovered cell (a leave, an enter
// and a move event); the figure is the whole message, hit test and dispatch included. The
// number of controls whose search step runs per hit test is counted in the same tree.
// FindControlByName is timed over 10,000 controls with distinct names, each name looked up in
// turn and then one name repeatedly (the bucket's move-to-front makes repeats cheap).

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_window.h"
#include "ui/controls/layouts.h"
#include "ui/core/window_host.h"

namespace {

long long g_visits = 0;

template <typename Base>
class Counted : public Base {
public:
    CControlUI* FindControl(FindControlProc visitor, void* data, UINT flags) override {
        ++g_visits;
        return Base::FindControl(visitor, data, flags);
    }
};

// rows x columns cells, each cell named "c<index>".
CControlUI* MakeGrid(int rows, int columns) {
    auto* root = new Counted<CVerticalLayoutUI>;
    for (int r = 0; r < rows; ++r) {
        auto* row = new Counted<CHorizontalLayoutUI>;
        for (int c = 0; c < columns; ++c) {
            auto* cell = new Counted<CControlUI>;
            cell->SetName((L"c" + std::to_wstring(r * columns + c)).c_str());
            row->Add(cell);
        }
        root->Add(row);
    }
    return root;
}

void MeasureMoves(HWND window, CWindowHostUI& host, int rows, int columns) {
    CControlUI* root = MakeGrid(rows, columns);
    host.AttachRoot(root);
    root->SetPos(RECT{0, 0, 1000, 1000});
    const int moves = 20000;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < moves; ++i) {
        int x = (i * 37) % 1000;
        int y = (i * 53) % 1000;
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
    QueryPerformanceCounter(&end);
    g_visits = 0;
    const int probes = 2000;
    for (int i = 0; i < probes; ++i) {
        host.FindControlAt(POINT{(i * 37) % 1000, (i * 53) % 1000});
    }
    std::printf("%6d controls: %7.2f us per mouse-move message, %6.1f controls visited per hit test\n",
                rows * columns + rows + 1, BenchSeconds(start, end) * 1e6 / moves, double(g_visits) / probes);
}

void MeasureNames(CWindowHostUI& host) {
    host.AttachRoot(MakeGrid(100, 100));
    std::vector<std::wstring> names;
    for (int i = 0; i < 10000; ++i) {
        names.push_back(L"c" + std::to_wstring((i * 7919) % 10000));
    }
    const int rounds = 20;
    int found = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int r = 0; r < rounds; ++r) {
        for (const std::wstring& name : names) {
            found += host.FindControlByName(name.c_str()) != nullptr;
        }
    }
    QueryPerformanceCounter(&end);
    double spread = BenchSeconds(start, end) * 1e9 / (rounds * names.size());
    const int repeats = 200000;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < repeats; ++i) {
        found += host.FindControlByName(L"c4242") != nullptr;
    }
    QueryPerformanceCounter(&end);
    std::printf(
        "FindControlByName over 10000 named controls: %.0f ns per lookup (all names), "
        "%.0f ns (one name repeated); %d found\n",
        spread, BenchSeconds(start, end) * 1e9 / repeats, found);
}

}  // namespace

int wmain() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BenchHostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HitTestBench";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"HitTestBench", L"", WS_POPUP, -3000,
                                  -3000, 1000, 1000, nullptr, nullptr, wc.hInstance, nullptr);
    {
        CWindowHostUI host;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
        host.AttachWindow(window);
        MeasureMoves(window, host, 25, 40);
        MeasureMoves(window, host, 100, 100);
        MeasureNames(host);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    DestroyWindow(window);
    return 0;
}
