// Prints the cost of one scroll step of a long list, by wheel and by thumb drag.
//
// A vertical layout with a vertical scroll bar holds 10,000 children 20 pixels high in a real
// window 400 x 600, so the content is 200,000 pixels high. A wheel step is one WM_MOUSEWHEEL
// message over a child (the child hands the wheel to the list, which scrolls a line). A thumb
// step is one mouse move of the pressed thumb followed by the repeat-timer tick that applies it.
// Each is timed alone and with the repaint it causes (UpdateWindow). SetPos calls are counted on
// every control of the tree, bar included.

#include <windows.h>

#include <cstdio>

#include "bench/bench_window.h"
#include "ui/controls/layouts.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_host.h"

namespace {

long long g_setPosCalls = 0;

template <typename Base>
class Counted : public Base {
public:
    void SetPos(RECT rc) override {
        ++g_setPosCalls;
        Base::SetPos(rc);
    }
};

constexpr int kWidth = 400;
constexpr int kHeight = 600;
constexpr int kChildren = 10000;

CVerticalLayoutUI* MakeList() {
    auto* list = new Counted<CVerticalLayoutUI>;
    list->SetAttribute(L"vscrollbar", L"true");
    for (int i = 0; i < kChildren; ++i) {
        auto* child = new Counted<CControlUI>;
        child->SetFixedHeight(20);
        child->SetBackColor(i % 2 ? 0xFFE0E0E0 : 0xFFFFFFFF);
        list->Add(child);
    }
    return list;
}

void ThumbTick(CScrollBarUI* bar) {
    UIEvent tick;
    tick.type = EventTimer;
    tick.sender = bar;
    tick.wParam = CScrollBarUI::kRepeatTimerId;
    bar->DispatchEvent(tick);
}

struct StepResult {
    double microseconds;
    double setPosPerStep;
    int endPosition;
};

// `step(i)` makes the i-th scroll step.
template <typename Step>
StepResult Measure(HWND window, CVerticalLayoutUI* list, int steps, bool repaint, Step step) {
    g_setPosCalls = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < steps; ++i) {
        step(i);
        if (repaint) {
            UpdateWindow(window);
        }
    }
    QueryPerformanceCounter(&end);
    return {BenchSeconds(start, end) * 1e6 / steps, double(g_setPosCalls) / steps, list->ScrollPos().cy};
}

void Print(const char* what, const StepResult& r) {
    std::printf("%-34s %9.1f us per step, %8.1f SetPos calls per step (position %d)\n", what, r.microseconds,
                r.setPosPerStep, r.endPosition);
}

void Run(HWND window, CWindowHostUI& host) {
    CVerticalLayoutUI* list = MakeList();
    host.AttachRoot(list);
    list->SetPos(RECT{0, 0, kWidth, kHeight});
    UpdateWindow(window);
    CScrollBarUI* bar = list->VerticalScrollBar();
    std::printf("%d children, content %d px, scroll range %d\n", kChildren, kChildren * 20,
                bar->ScrollRange());

    POINT screen = {kWidth / 2, kHeight / 2};
    ClientToScreen(window, &screen);
    auto wheel = [window, screen](int) {
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    };
    for (bool repaint : {false, true}) {
        list->SetScrollPos(SIZE{0, 0});
        UpdateWindow(window);
        Print(repaint ? "wheel, with repaint" : "wheel", Measure(window, list, 200, repaint, wheel));
    }

    const RECT thumb = bar->ThumbRect();
    const int x = (thumb.left + thumb.right) / 2;
    for (bool repaint : {false, true}) {
        list->SetScrollPos(SIZE{0, 0});
        UpdateWindow(window);
        int y0 = bar->ThumbRect().top + 2;
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y0));
        // One pixel of pointer travel per step: about range / travel positions each.
        auto drag = [window, bar, x, y0](int i) {
            SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y0 + 1 + i));
            ThumbTick(bar);
        };
        Print(repaint ? "thumb drag, with repaint" : "thumb drag", Measure(window, list, 200, repaint, drag));
        SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y0 + 200));
    }
}

}  // namespace

int wmain() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BenchHostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ScrollBench";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"ScrollBench", L"", WS_POPUP, -3000,
                                  -3000, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    {
        CWindowHostUI host;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
        host.AttachWindow(window);
        Run(window, host);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    DestroyWindow(window);
    return 0;
}
