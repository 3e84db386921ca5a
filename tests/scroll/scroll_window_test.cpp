// Scroll bars in the shared real window: presses, held buttons, thumb drags, the bar shown and
// hidden by the layout, and wheel and key scrolling of a container. Timer ticks are driven by
// dispatching the window's own WM_TIMER messages one by one, so no test depends on timing.

#include <gtest/gtest.h>

#include "tests/host_input/input_rig.h"
#include "ui/controls/scroll_bar.h"

namespace {

// Dispatches the next WM_TIMER of the shared window; false when none arrives in time (a stopped
// 50 ms timer would have ticked several times within the shorter wait).
bool DispatchNextTick(DWORD wait = 1000) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        if (PeekMessageW(&msg, SharedWindow().Handle(), WM_TIMER, WM_TIMER, PM_REMOVE)) {
            DispatchMessageW(&msg);
            return true;
        }
        Sleep(5);
    } while (GetTickCount() - start < wait);
    return false;
}

int CountLog(const wchar_t* entry) {
    int count = 0;
    for (const std::wstring& line : g_log) {
        count += line == entry ? 1 : 0;
    }
    return count;
}

// A free bar 16 x 200 at the left of the shared window.
CScrollBarUI* InstallFreeBar(NotifyRecorder& recorder) {
    auto* bar = new CScrollBarUI;
    bar->SetName(L"bar");
    InstallRow({bar});
    SharedWindow().Host().AddNotifyListener(&recorder);
    return bar;
}

// A vertical layout filling the window, with a vertical bar and `count` children 50 high.
CVerticalLayoutUI* InstallList(int count) {
    std::vector<CControlUI*> children;
    auto* list = new CVerticalLayoutUI;
    list->SetAttribute(L"vscrollbar", L"true");
    list->SetScrollStepSize(30);
    for (int i = 0; i < count; ++i) {
        auto* child = new CControlUI;
        child->SetFixedHeight(50);
        list->Add(child);
    }
    CWindowHostUI& host = SharedWindow().Host();
    host.AttachRoot(list);
    list->SetPos(RECT{0, 0, 300, 200});
    RunQueue();
    g_log.clear();
    return list;
}

struct PressCase {
    const char* what;
    int startPosition;
    int y;
    int expectPosition;
};

// Range 100 in 200 pixels: the thumb is 112 long; at position 50 it spans 44..156.
const PressCase kPressCases[] = {
    {"button 1 is a line back", 50, 5, 42},
    {"button 2 is a line forward", 50, 195, 58},
    {"the rail before the thumb is a page back", 50, 30, 0},
    {"the rail after the thumb is a page forward", 50, 170, 100},
    {"the thumb itself does not scroll", 50, 100, 50},
};

TEST(ScrollBarInputTest, PressesOnAFreeBarScrollItAndSendScroll) {
    NotifyRecorder recorder;
    CScrollBarUI* bar = InstallFreeBar(recorder);
    for (const PressCase& c : kPressCases) {
        SCOPED_TRACE(c.what);
        bar->SetScrollPos(c.startPosition);
        g_log.clear();
        SendMouse(WM_LBUTTONDOWN, 8, c.y, MK_LBUTTON);
        SendMouse(WM_LBUTTONUP, 8, c.y);
        EXPECT_EQ(c.expectPosition, bar->ScrollPos());
        EXPECT_EQ(c.expectPosition == c.startPosition ? 0 : 1, CountLog(L"bar:scroll"));
        EXPECT_EQ(0u, bar->Button1State() | bar->Button2State() | (bar->ThumbState() & ~ScrollStateHot));
    }
    SharedWindow().Host().RemoveNotifyListener(&recorder);
}

TEST(ScrollBarInputTest, HoldingAButtonRepeatsAfterTheDelayUntilRelease) {
    NotifyRecorder recorder;
    CScrollBarUI* bar = InstallFreeBar(recorder);
    bar->SetLineSize(2);
    SendMouse(WM_LBUTTONDOWN, 8, 195, MK_LBUTTON);
    EXPECT_EQ(2, bar->ScrollPos());  // one step at once
    EXPECT_TRUE(bar->Button2State() & ScrollStatePushed);
    for (int tick = 1; tick <= 5; ++tick) {
        ASSERT_TRUE(DispatchNextTick());
    }
    EXPECT_EQ(2, bar->ScrollPos());  // the delay
    ASSERT_TRUE(DispatchNextTick());
    EXPECT_EQ(4, bar->ScrollPos());
    ASSERT_TRUE(DispatchNextTick());
    EXPECT_EQ(6, bar->ScrollPos());
    EXPECT_EQ(3, CountLog(L"bar:scroll"));
    SendMouse(WM_LBUTTONUP, 8, 195);
    EXPECT_FALSE(bar->Button2State() & ScrollStatePushed);
    EXPECT_FALSE(DispatchNextTick(300));  // the timer is gone
    EXPECT_EQ(6, bar->ScrollPos());
    SharedWindow().Host().RemoveNotifyListener(&recorder);
}

// A bar disabled while it is held stops repeating instead of paging on without a release.
TEST(ScrollBarInputTest, ABarDisabledWhileHeldStopsRepeating) {
    NotifyRecorder recorder;
    CScrollBarUI* bar = InstallFreeBar(recorder);
    SendMouse(WM_LBUTTONDOWN, 8, 195, MK_LBUTTON);
    bar->SetEnabled(false);
    ASSERT_TRUE(DispatchNextTick());
    EXPECT_FALSE(DispatchNextTick(300));
    EXPECT_EQ(8, bar->ScrollPos());
    SendMouse(WM_LBUTTONUP, 8, 195);
    SharedWindow().Host().RemoveNotifyListener(&recorder);
}

// Freed storage is poisoned, so a bar that touched itself after its own deletion would crash.
class PoisonedBar : public CScrollBarUI {
public:
    static void* operator new(std::size_t size) { return std::malloc(size); }
    static void operator delete(void* p, std::size_t size) { std::memset(p, 0x5A, size); }
};

TEST(ScrollBarInputTest, AScrollListenerMayDestroyTheDraggedBar) {
    auto* bar = new PoisonedBar;
    bar->SetName(L"bar");
    CHorizontalLayoutUI* row = InstallRow({bar});
    row->SetDelayedDestroy(false);
    NotifyRecorder recorder;
    recorder.onNotify = [row, bar](NotifyMsg& msg) {
        if (msg.type == L"scroll") {
            row->Remove(bar);
        }
    };
    SharedWindow().Host().AddNotifyListener(&recorder);
    SendMouse(WM_LBUTTONDOWN, 8, 30, MK_LBUTTON);  // on the thumb: no scroll yet
    SendMouse(WM_MOUSEMOVE, 8, 60, MK_LBUTTON);
    ASSERT_TRUE(DispatchNextTick());
    EXPECT_EQ(0, row->Count());
    SendMouse(WM_LBUTTONUP, 8, 60);
    EXPECT_FALSE(DispatchNextTick(300));
    SharedWindow().Host().RemoveNotifyListener(&recorder);
}

TEST(ScrollBarInputTest, DraggingTheThumbScrollsTheContainerAtTimerTicks) {
    CVerticalLayoutUI* list = InstallList(10);
    CScrollBarUI* bar = list->VerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    ASSERT_EQ(300, bar->ScrollRange());
    // 200 high with range 300: the thumb is 200 * 168 / 500 = 67 long and travels 101 pixels.
    ASSERT_EQ((RECT{284, 16, 300, 83}), bar->ThumbRect());
    CControlUI* first = list->ItemAt(0);
    SendMouse(WM_LBUTTONDOWN, 292, 40, MK_LBUTTON);
    SendMouse(WM_MOUSEMOVE, 292, 65, MK_LBUTTON);
    SendMouse(WM_MOUSEMOVE, 292, 90, MK_LBUTTON);
    EXPECT_EQ(0, list->ScrollPos().cy);  // moves alone do not scroll
    EXPECT_EQ(0, first->Pos().top);
    ASSERT_TRUE(DispatchNextTick());
    EXPECT_EQ(50 * 300 / 101, list->ScrollPos().cy);
    EXPECT_EQ(-(50 * 300 / 101), first->Pos().top);
    SendMouse(WM_MOUSEMOVE, 292, 400, MK_LBUTTON);
    ASSERT_TRUE(DispatchNextTick());
    EXPECT_EQ(300, list->ScrollPos().cy);
    EXPECT_EQ((RECT{284, 117, 300, 184}), bar->ThumbRect());
    SendMouse(WM_LBUTTONUP, 292, 400);
    EXPECT_EQ(0u, bar->ThumbState() & (ScrollStatePushed | ScrollStateCaptured));
    EXPECT_FALSE(DispatchNextTick(300));
}

// The host's own layout pass shows the bar when the content grows past the container, the bar
// then takes the presses at the right edge, and it goes again when the content fits.
TEST(ScrollBarLayoutTest, OverflowShowsTheBarAndFittingContentHidesIt) {
    CVerticalLayoutUI* list = InstallList(3);
    CScrollBarUI* bar = list->VerticalScrollBar();
    CWindowHostUI& host = SharedWindow().Host();
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_NE(bar, host.FindControlAt(POINT{292, 100}));
    for (int i = 0; i < 2; ++i) {
        auto* child = new CControlUI;
        child->SetFixedHeight(50);
        list->Add(child);
    }
    UpdateWindow(SharedWindow().Handle());
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(50, bar->ScrollRange());
    EXPECT_EQ(284, list->ItemAt(0)->Pos().right);
    EXPECT_EQ(bar, host.FindControlAt(POINT{292, 100}));
    SendMouse(WM_LBUTTONDOWN, 292, 195, MK_LBUTTON);
    SendMouse(WM_LBUTTONUP, 292, 195);
    EXPECT_EQ(30, list->ScrollPos().cy);
    list->RemoveAt(4);
    list->RemoveAt(3);
    UpdateWindow(SharedWindow().Handle());
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, list->ScrollPos().cy);
    EXPECT_EQ((RECT{0, 0, 300, 50}), list->ItemAt(0)->Pos());
    EXPECT_NE(bar, host.FindControlAt(POINT{292, 100}));
}

struct InputCase {
    const char* what;
    UINT message;
    WPARAM wParam;
    int startPosition;
    int expectPosition;
};

const InputCase kInputCases[] = {
    {"wheel down is a line down", WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 100, 130},
    {"wheel up is a line up", WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 100, 70},
    {"down arrow", WM_KEYDOWN, VK_DOWN, 100, 130},
    {"up arrow", WM_KEYDOWN, VK_UP, 100, 70},
    {"page down is the page height", WM_KEYDOWN, VK_NEXT, 50, 250},
    {"page up", WM_KEYDOWN, VK_PRIOR, 250, 50},
    {"home", WM_KEYDOWN, VK_HOME, 100, 0},
    {"end", WM_KEYDOWN, VK_END, 100, 300},
};

TEST(ScrollBarInputTest, WheelAndKeysScrollTheContainer) {
    CVerticalLayoutUI* list = InstallList(10);
    CWindowHostUI& host = SharedWindow().Host();
    host.SetFocusControl(list);
    for (const InputCase& c : kInputCases) {
        SCOPED_TRACE(c.what);
        list->SetScrollPos(SIZE{0, c.startPosition});
        if (c.message == WM_MOUSEWHEEL) {
            SendScreenMouse(WM_MOUSEWHEEL, 100, 100, c.wParam);  // over a child: it passes the wheel up
        } else {
            Send(WM_KEYDOWN, c.wParam);
        }
        EXPECT_EQ(c.expectPosition, list->ScrollPos().cy);
        EXPECT_EQ(-c.expectPosition, list->ItemAt(0)->Pos().top);
    }
    // The wheel over the bar itself reaches its owner too.
    list->SetScrollPos(SIZE{0, 0});
    SendScreenMouse(WM_MOUSEWHEEL, 292, 100, MAKEWPARAM(0, -WHEEL_DELTA));
    EXPECT_EQ(30, list->ScrollPos().cy);
}

}  // namespace
