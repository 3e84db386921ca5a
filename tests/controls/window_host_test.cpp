#include "ui/core/window_host.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/controls/test_window.h"
#include "ui/controls/container.h"
#include "ui/controls/layouts.h"

namespace {

// Logs every event a control receives as "name:type".
void LogEvents(CControlUI* control, std::vector<std::wstring>* log) {
    control->EventListeners().Add(MakeDelegate([control, log](void* param) {
        auto* event = static_cast<UIEvent*>(param);
        log->push_back(std::wstring(control->Name().GetData()) + L":" + std::to_wstring(event->type));
        return true;
    }));
}

// The native id of the next WM_TIMER of the window, waiting up to a second; -1 when none came.
int NextTimerId(HWND window) {
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 1000) {
        if (PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            return static_cast<int>(msg.wParam);
        }
        Sleep(5);
    }
    return -1;
}

CControlUI* Named(const wchar_t* name) {
    auto* control = new CControlUI;
    control->SetName(name);
    return control;
}

// A container holding the children, installed as the root of the window's host.
CContainerUI* InstallRoot(TestWindow& window, std::initializer_list<CControlUI*> children) {
    auto* root = new CContainerUI;
    for (CControlUI* child : children) {
        root->Add(child);
    }
    window.Host().AttachRoot(root);
    return root;
}

}  // namespace

TEST(HostTimerTest, TimerTicksBecomeTimerNotifications) {
    TestWindow window;
    NotificationLog log;
    window.Host().AddNotifyListener(&log);
    CControlUI* control = Named(L"ticker");
    window.Host().AttachRoot(control);
    ASSERT_TRUE(window.Host().StartTimer(control, 510, 10));
    window.Pump(120);
    ASSERT_FALSE(log.entries.empty());
    EXPECT_EQ(CWideString(L"timer"), log.entries[0].type);
    EXPECT_EQ(control, log.entries[0].sender);
    EXPECT_EQ(510u, log.entries[0].wParam);

    EXPECT_TRUE(window.Host().StopTimer(control, 510));
    EXPECT_FALSE(window.Host().StopTimer(control, 510));
    window.Pump(30);
    log.entries.clear();
    window.Pump(100);
    EXPECT_TRUE(log.entries.empty());
}

TEST(HostTimerTest, NativeIdsStartAt17AndRestartsReuseThem) {
    TestWindow window;
    CControlUI a;
    CControlUI b;
    CWindowHostUI& host = window.Host();
    host.InitTree(&a);
    host.InitTree(&b);
    ASSERT_TRUE(host.StartTimer(&a, 1, 10));
    EXPECT_EQ(17, NextTimerId(window.Handle()));
    EXPECT_FALSE(host.StartTimer(&a, 1, 5000));  // already running
    ASSERT_TRUE(host.StartTimer(&b, 1, 100000));
    host.StopTimer(&a, 1);
    window.Pump(30);
    ASSERT_TRUE(host.StartTimer(&a, 1, 10));
    EXPECT_EQ(17, NextTimerId(window.Handle()));
    host.StopTimersOf(&a);
    host.StopTimersOf(&b);
}

TEST(HostTimerTest, IdsWrapAfter239AndSkipIdsStillHeld) {
    TestWindow window;
    CWindowHostUI& host = window.Host();
    std::vector<CControlUI> controls(241);
    for (CControlUI& control : controls) {
        host.InitTree(&control);
    }
    // 17 .. 239 are 223 ids; the 224th start wraps to 0.
    for (int i = 0; i < 223; ++i) {
        ASSERT_TRUE(host.StartTimer(&controls[i], 1, 100000));
    }
    ASSERT_TRUE(host.StartTimer(&controls[223], 1, 10));
    EXPECT_EQ(0, NextTimerId(window.Handle()));
    host.StopTimersOf(&controls[223]);
    window.Pump(20);
    for (int i = 223; i < 240; ++i) {
        ASSERT_TRUE(host.StartTimer(&controls[i], 1, 100000));
    }
    // All 240 ids are held (running or stopped): another timer would share a native timer.
    host.StopTimer(&controls[5], 1);
    EXPECT_FALSE(host.StartTimer(&controls[240], 1, 100000));
    host.StopTimersOf(&controls[5]);
    ASSERT_TRUE(host.StartTimer(&controls[240], 1, 10));
    EXPECT_EQ(22, NextTimerId(window.Handle()));  // the id the removed entry held
    host.StopAllTimers();
}

TEST(HostTimerTest, DeletedControlLosesItsTimers) {
    TestWindow window;
    NotificationLog log;
    window.Host().AddNotifyListener(&log);
    CControlUI* child = Named(L"child");
    CContainerUI* root = InstallRoot(window, {child});
    ASSERT_TRUE(window.Host().StartTimer(child, 7, 10));
    root->SetDelayedDestroy(false);
    root->Remove(child);  // deleted at once
    window.Pump(100);
    EXPECT_TRUE(log.entries.empty());
    EXPECT_FALSE(window.Host().StopTimer(child, 7));
}

TEST(HostTimerTest, NoWindowNoTimer) {
    CWindowHostUI host;
    CControlUI control;
    host.InitTree(&control);
    EXPECT_FALSE(host.StartTimer(&control, 1, 10));
}

// Only a control of this host is forgotten by it when it dies; a timer on any other control
// would outlive the control and its ticks would reach freed memory.
TEST(HostTimerTest, ControlsOfNoHostOrAnotherHostGetNoTimer) {
    TestWindow window;
    TestWindow other;
    CControlUI stray;
    CControlUI foreign;
    other.Host().InitTree(&foreign);
    EXPECT_FALSE(window.Host().StartTimer(&stray, 1, 10));
    EXPECT_FALSE(window.Host().StartTimer(&foreign, 1, 10));
    EXPECT_FALSE(window.Host().StopTimer(&foreign, 1));
    EXPECT_EQ(-1, NextTimerId(window.Handle()));
    EXPECT_TRUE(other.Host().StartTimer(&foreign, 1, 100000));
    other.Host().StopTimersOf(&foreign);
}

TEST(HostNotifyTest, ControlListenersRunFirstAndDoNotStopHostListeners) {
    TestWindow window;
    std::vector<std::wstring> order;
    class Listener : public INotifyUI {
    public:
        explicit Listener(std::vector<std::wstring>& log) : m_log(log) {}
        void HandleNotification(NotifyMsg& msg) override {
            m_log.push_back(L"host:" + std::wstring(msg.type));
        }

    private:
        std::vector<std::wstring>& m_log;
    } listener(order);
    window.Host().AddNotifyListener(&listener);
    CControlUI* control = Named(L"c");
    window.Host().AttachRoot(control);
    control->NotifyListeners().Add(MakeDelegate([&order](void* param) {
        order.push_back(L"first:" + std::wstring(static_cast<NotifyMsg*>(param)->type));
        return false;
    }));
    control->NotifyListeners().Add(MakeDelegate([&order](void*) {
        order.push_back(L"second");
        return true;
    }));
    window.Host().SendNotification(control, L"click", 3, 4);
    EXPECT_EQ((std::vector<std::wstring>{L"first:click", L"host:click"}), order);
    EXPECT_TRUE(window.Host().RemoveNotifyListener(&listener));
    EXPECT_FALSE(window.Host().RemoveNotifyListener(&listener));
}

TEST(HostNotifyTest, ListenerRemovedDuringDeliveryIsNotCalled) {
    TestWindow window;
    NotificationLog later;
    class Remover : public INotifyUI {
    public:
        Remover(CWindowHostUI& host, INotifyUI* victim) : m_host(host), m_victim(victim) {}
        void HandleNotification(NotifyMsg&) override { m_host.RemoveNotifyListener(m_victim); }

    private:
        CWindowHostUI& m_host;
        INotifyUI* m_victim;
    } remover(window.Host(), &later);
    window.Host().AddNotifyListener(&remover);
    window.Host().AddNotifyListener(&later);
    CControlUI control;
    window.Host().SendNotification(&control, L"anything");
    EXPECT_TRUE(later.entries.empty());
}

TEST(HostNotifyTest, VirtualWindowNameIsFilledOnceUsed) {
    TestWindow window;
    NotificationLog log;
    class Capture : public INotifyUI {
    public:
        void HandleNotification(NotifyMsg& msg) override { virtualWindow = msg.virtualWindow; }
        CWideString virtualWindow;
    } capture;
    window.Host().AddNotifyListener(&capture);
    CControlUI* child = Named(L"child");
    CContainerUI* root = InstallRoot(window, {child});
    window.Host().SendNotification(child, L"click");
    EXPECT_TRUE(capture.virtualWindow.IsEmpty());
    root->SetVirtualWindowName(L"page");
    window.Host().SendNotification(child, L"click");
    EXPECT_EQ(CWideString(L"page"), capture.virtualWindow);
}

TEST(HostFocusTest, MovingTheFocusDeliversEventsAndNotificationsInOrder) {
    TestWindow window;
    std::vector<std::wstring> log;
    class Notes : public INotifyUI {
    public:
        explicit Notes(std::vector<std::wstring>& out) : m_out(out) {}
        void HandleNotification(NotifyMsg& msg) override {
            m_out.push_back(std::wstring(msg.sender->Name().GetData()) + L":" + msg.type.GetData());
        }

    private:
        std::vector<std::wstring>& m_out;
    } notes(log);
    window.Host().AddNotifyListener(&notes);
    auto* root = new CContainerUI;
    CControlUI* a = Named(L"a");
    CControlUI* b = Named(L"b");
    root->Add(a);
    root->Add(b);
    window.Host().AttachRoot(root);
    LogEvents(a, &log);
    LogEvents(b, &log);

    window.Host().SetFocusControl(a);
    log.clear();
    window.Host().SetFocusControl(a);
    EXPECT_TRUE(log.empty());
    window.Host().SetFocusControl(b);
    EXPECT_EQ((std::vector<std::wstring>{L"a:20", L"a:killfocus", L"b:21", L"b:setfocus"}), log);
    EXPECT_EQ(b, window.Host().FocusedControl());

    // A disabled control cannot take the focus; the old one still loses it.
    a->SetEnabled(false);
    window.Host().SetFocusControl(a);
    EXPECT_EQ(nullptr, window.Host().FocusedControl());
    EXPECT_FALSE(b->IsFocused());
}

TEST(HostTreeTest, FindControlAtReturnsTheTopMostVisibleMouseEnabledControl) {
    TestWindow window;
    auto* root = new CContainerUI;
    CControlUI* below = Named(L"below");
    CControlUI* above = Named(L"above");
    above->SetFloat(true);
    above->SetFixedWidth(20);
    above->SetFixedHeight(20);
    root->Add(below);
    root->Add(above);
    window.Host().AttachRoot(root);
    root->SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(above, window.Host().FindControlAt(POINT{10, 10}));
    EXPECT_EQ(below, window.Host().FindControlAt(POINT{50, 50}));
    above->SetMouseEnabled(false);
    EXPECT_EQ(below, window.Host().FindControlAt(POINT{10, 10}));
    EXPECT_EQ(nullptr, window.Host().FindControlAt(POINT{150, 10}));
}

TEST(HostTreeTest, SameNameTwiceFindsTheOneSearchedLast) {
    TestWindow window;
    CControlUI* first = Named(L"twin");
    CControlUI* second = Named(L"twin");
    CContainerUI* root = InstallRoot(window, {first, second});
    EXPECT_EQ(second, window.Host().FindControlByName(L"twin"));
    // Deleting the first does not drop the name of the second.
    root->SetDelayedDestroy(false);
    root->Remove(first);
    EXPECT_EQ(second, window.Host().FindControlByName(L"twin"));
    root->Remove(second);
    EXPECT_EQ(nullptr, window.Host().FindControlByName(L"twin"));
}

TEST(HostTreeTest, NewRootReplacesTheOldOneOnlyWhenTheQueueRuns) {
    TestWindow window;
    bool oldDeleted = false;
    auto* oldRoot = Named(L"old");
    oldRoot->DestroyListeners().Add(MakeDelegate([&oldDeleted](void*) {
        oldDeleted = true;
        return true;
    }));
    window.Host().AttachRoot(oldRoot);
    window.Host().AttachRoot(oldRoot);  // the same root again is kept
    window.Pump();
    EXPECT_FALSE(oldDeleted);
    EXPECT_EQ(oldRoot, window.Host().Root());

    window.Host().AttachRoot(Named(L"new"));
    EXPECT_FALSE(oldDeleted);
    window.Pump();
    EXPECT_TRUE(oldDeleted);
    EXPECT_EQ(CWideString(L"new"), window.Host().Root()->Name());
    EXPECT_TRUE(window.Host().IsUpdateNeeded());
    EXPECT_FALSE(window.Host().AttachRoot(nullptr));
}

TEST(HostTreeTest, DeletedControlIsForgottenEverywhere) {
    TestWindow window;
    auto* root = new CHorizontalLayoutUI;
    auto* side = new CHorizontalLayoutUI;
    side->ApplyAttributeText(L"name=\"side\" width=\"50\" sepwidth=\"4\"");
    root->Add(side);
    window.Host().AttachRoot(root);
    root->SetPos(RECT{0, 0, 200, 50});
    window.Host().SetFocusControl(side);
    UIEvent down;
    down.type = EventButtonDown;
    down.point = POINT{48, 10};
    side->DispatchEvent(down);
    ASSERT_EQ(1, window.Host().AfterPaintControls().GetSize());
    ASSERT_EQ(side, window.Host().FocusedControl());
    root->SetDelayedDestroy(false);
    root->Remove(side);
    EXPECT_EQ(nullptr, window.Host().FocusedControl());
    EXPECT_EQ(0, window.Host().AfterPaintControls().GetSize());
    EXPECT_EQ(nullptr, window.Host().FindControlByName(L"side"));
}

TEST(HostTreeTest, RenamedControlIsFoundOnlyByItsNewName) {
    TestWindow window;
    CControlUI* child = Named(L"before");
    CContainerUI* root = InstallRoot(window, {child});
    child->SetName(L"after");
    EXPECT_EQ(nullptr, window.Host().FindControlByName(L"before"));
    EXPECT_EQ(child, window.Host().FindControlByName(L"after"));
    // Deleting it drops the new name; the old one must not lead to the freed control either.
    root->SetDelayedDestroy(false);
    root->Remove(child);
    EXPECT_EQ(nullptr, window.Host().FindControlByName(L"after"));
    EXPECT_EQ(nullptr, window.Host().FindControlByName(L"before"));
}

TEST(HostTreeTest, RenamingALosingTwinLeavesTheWinnerRegistered) {
    TestWindow window;
    CControlUI* first = Named(L"twin");
    CControlUI* second = Named(L"twin");
    InstallRoot(window, {first, second});
    first->SetName(L"solo");  // the map holds "twin" for the second control: left alone
    EXPECT_EQ(second, window.Host().FindControlByName(L"twin"));
    second->SetName(L"");
    EXPECT_EQ(nullptr, window.Host().FindControlByName(L"twin"));
}

TEST(HostResourceTest, DefaultsClassListsAndFont) {
    TestWindow window;
    CWindowHostUI& host = window.Host();
    EXPECT_EQ(0xFF000001u, host.DefaultFontColor());
    EXPECT_EQ(0xFFA7A6AAu, host.DisabledFontColor());
    EXPECT_EQ(0xFF0000FFu, host.LinkFontColor());
    EXPECT_EQ(0xFFD3215Fu, host.LinkHoverFontColor());
    EXPECT_EQ(0xFFBAE4FFu, host.SelectedColor());
    host.SetClassDefaults(L"Button", L"width=\"10\"");
    host.SetClassDefaults(L"Button", L"width=\"20\"");
    EXPECT_EQ(std::wstring(L"width=\"10\""), host.ClassDefaults(L"Button"));
    EXPECT_EQ(nullptr, host.ClassDefaults(L"button"));
    const FontRecord& font = host.DefaultFontInfo();
    EXPECT_NE(nullptr, font.font);
    EXPECT_GT(font.metrics.tmHeight, 0);
    EXPECT_FALSE(font.faceName.IsEmpty());
}

TEST(HostTreeTest, MessagesBeforeAWindowAreIgnored) {
    CWindowHostUI host;
    LRESULT result = 0;
    EXPECT_FALSE(host.ProcessMessage(CWindowHostUI::kDeferredDeleteMessage, 0, 0, result));
    host.InvalidateArea(RECT{0, 0, 10, 10});
    EXPECT_EQ(nullptr, host.FindControlAt(POINT{0, 0}));
}
