// Lays out generated control trees of growing size and prints the time per control and the
// number of placements per control. The trees alternate vertical and horizontal layouts, ten
// children each, every third child with a fixed size and the others sharing the free space.
//
// The main figure places the tree inside a window host that has no window: every placement
// runs its whole path (size listeners, float re-derivation, clipping of the repaint area by
// every ancestor, the repaint request to the host), but no system call is made, so the figure
// is the framework's own cost. The second figure binds the host to a real window. The repaint
// areas of a layout pass are merged by the host and reach the window as one InvalidateRect
// when the pass ends (under Wine each call is a trip to the wine server), so the two figures
// should stay close; their ratio is printed beside them.
//
// Every size gets the same effort: each run places about the same number of controls (the
// small trees are placed more often), and the median of several runs is printed.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
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

struct Effort {
    long long controlsPerRun;
    int runs;
};

// Places the root `rounds` times at alternating widths, so that every placement really moves
// the children; nanoseconds per control placed.
double TimeRun(CControlUI* root, int count, int rounds) {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    for (int round = 0; round < rounds; ++round) {
        root->SetPos(RECT{0, 0, 20000 + (round % 2) * 10, 20000});
    }
    QueryPerformanceCounter(&end);
    return Seconds(start, end) * 1e9 / (static_cast<double>(count) * rounds);
}

// One generated tree in a host of its own, with the times of its runs.
struct Subject {
    Subject(HWND window, int controls) : count(controls) {
        if (window) {
            host.AttachWindow(window);
        }
        host.AttachRoot(MakeNode(0, 0, count));
        host.Root()->SetPos(RECT{0, 0, 20005, 20000});  // the first placement settles the repaint areas
    }

    double Median() {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    int count;
    CWindowHostUI host;
    std::vector<double> times;
    long long placements = 0;
    long long placed = 0;
};

// The runs of the sizes take turns, so that a disturbance of the machine (other programs, the
// clock) falls on every size alike. Between runs the window forgets its update region, which
// would otherwise keep growing.
void Measure(HWND window, std::vector<std::unique_ptr<Subject>>& subjects, const Effort& effort) {
    for (int run = 0; run < effort.runs; ++run) {
        for (auto& subject : subjects) {
            int rounds = static_cast<int>(std::max<long long>(2, effort.controlsPerRun / subject->count));
            if (window) {
                ValidateRect(window, nullptr);
            }
            g_placements = 0;
            subject->times.push_back(TimeRun(subject->host.Root(), subject->count, rounds));
            subject->placements += g_placements;
            subject->placed += static_cast<long long>(subject->count) * rounds;
        }
    }
}

struct Column {
    double nanosecondsPerControl[3];
    double placementsPerControl[3];
};

Column MeasureColumn(HWND window, const int (&sizes)[3], const Effort& effort) {
    std::vector<std::unique_ptr<Subject>> subjects;
    for (int count : sizes) {
        subjects.push_back(std::make_unique<Subject>(window, count));
    }
    Measure(window, subjects, effort);
    Column column = {};
    for (int i = 0; i < 3; ++i) {
        column.nanosecondsPerControl[i] = subjects[i]->Median();
        column.placementsPerControl[i] =
            static_cast<double>(subjects[i]->placements) / static_cast<double>(subjects[i]->placed);
    }
    return column;
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
    const int sizes[3] = {1000, 10000, 100000};
    const Effort windowless = {2000000, 9};
    const Effort withWindow = windowless;
    std::printf("bytes per object: control %u, vertical layout %u\n", unsigned{sizeof(Counted<CControlUI>)},
                unsigned{sizeof(Counted<CVerticalLayoutUI>)});
    std::printf("median of %d runs of ~%lld placements (no window), %d runs of ~%lld (window)\n",
                windowless.runs, windowless.controlsPerRun, withWindow.runs, withWindow.controlsPerRun);
    HWND window = MakeWindow();
    Column alone = MeasureColumn(nullptr, sizes, windowless);
    Column drawn = MeasureColumn(window, sizes, withWindow);
    DestroyWindow(window);

    std::printf("%-9s %24s %24s %16s %15s\n", "controls", "no window: ns/control", "window: ns/control",
                "window/no window", "SetPos/control");
    for (int i = 0; i < 3; ++i) {
        const double* plain = alone.nanosecondsPerControl;
        const double* painted = drawn.nanosecondsPerControl;
        std::printf("%-9d %16.1f (x%4.2f) %16.1f (x%4.2f) %15.2fx %8.2f %6.2f\n", sizes[i], plain[i],
                    plain[i] / plain[0], painted[i], painted[i] / painted[0], painted[i] / plain[i],
                    alone.placementsPerControl[i], drawn.placementsPerControl[i]);
    }
    return 0;
}
