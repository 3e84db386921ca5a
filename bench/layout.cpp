// Lays out generated control trees of growing size and prints the time per control and the
// number of placements per control. The trees alternate vertical and horizontal layouts, ten
// children each, every third child with a fixed size and the others sharing the free space.
//
// Two figures per size: placing the tree with no window attached (the layout arithmetic alone)
// and placing it inside a window host, where every placement also sends its repaint area to
// the window.

#include <windows.h>

#include <cstdio>
#include <vector>

#include "ui/controls/layouts.h"
#include "ui/core/window_host.h"

namespace {

long long g_placements = 0;

template <typename Base>
class Counted : public Base {
public:
    void SetPos(RECT rc) override {
        ++g_placements;
        Base::SetPos(rc);
    }
};

constexpr int kFanout = 10;

// Node i of an implicit ten-ary tree has the children 10 i + 1 .. 10 i + 10 (those below count).
CControlUI* MakeNode(int index, int depth, int count) {
    bool hasChildren = index * kFanout + 1 < count;
    CControlUI* node;
    if (!hasChildren) {
        node = new Counted<CControlUI>;
    } else if (depth % 2 == 0) {
        node = new Counted<CVerticalLayoutUI>;
    } else {
        node = new Counted<CHorizontalLayoutUI>;
    }
    if (index % 3 == 0) {
        node->SetFixedWidth(4 + index % 7);
        node->SetFixedHeight(3 + index % 5);
    }
    if (!hasChildren) {
        return node;
    }
    auto* container = static_cast<CContainerUI*>(node);
    container->SetChildPadding(1);
    for (int child = index * kFanout + 1; child <= index * kFanout + kFanout && child < count; ++child) {
        container->Add(MakeNode(child, depth + 1, count));
    }
    return node;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double nanosecondsPerControl;
    double placementsPerControl;
};

// Places the root `rounds` times at alternating sizes (so every placement really moves things)
// and keeps the fastest round.
Figures Measure(CControlUI* root, int count, int rounds) {
    double best = 1e30;
    long long placements = 0;
    for (int round = 0; round < rounds; ++round) {
        RECT rc = {0, 0, 20000 + (round % 2) * 10, 20000};
        g_placements = 0;
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        root->SetPos(rc);
        QueryPerformanceCounter(&end);
        placements = g_placements;
        double seconds = Seconds(start, end);
        best = seconds < best ? seconds : best;
    }
    return Figures{best * 1e9 / count, static_cast<double>(placements) / count};
}

HWND MakeWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LayoutBenchWindow";
    RegisterClassW(&wc);
    // Shown far off-screen: a hidden window would let the system drop the repaint requests.
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP,
                                  -30000, -30000, 800, 600, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

}  // namespace

int wmain() {
    const int sizes[] = {1000, 10000, 100000};
    const int rounds[] = {200, 20, 4};
    HWND window = MakeWindow();
    std::printf("%-9s %22s %22s %18s\n", "controls", "no host: ns/control", "with host: ns/control",
                "SetPos/control");
    double first[2] = {0, 0};
    for (int i = 0; i < 3; ++i) {
        int count = sizes[i];
        CControlUI* bare = MakeNode(0, 0, count);
        Figures alone = Measure(bare, count, rounds[i]);
        delete bare;

        auto* host = new CWindowHostUI;
        host->AttachWindow(window);
        host->AttachRoot(MakeNode(0, 0, count));
        Figures hosted = Measure(host->Root(), count, rounds[i]);
        delete host;

        if (i == 0) {
            first[0] = alone.nanosecondsPerControl;
            first[1] = hosted.nanosecondsPerControl;
        }
        std::printf("%-9d %14.1f (x%4.2f) %14.1f (x%4.2f) %18.2f\n", count, alone.nanosecondsPerControl,
                    alone.nanosecondsPerControl / first[0], hosted.nanosecondsPerControl,
                    hosted.nanosecondsPerControl / first[1], hosted.placementsPerControl);
    }
    DestroyWindow(window);
    return 0;
}
