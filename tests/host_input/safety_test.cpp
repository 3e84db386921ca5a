// Handlers that delete their control, close the window (deleting the host) or replace the
// root while the host is delivering. Freed probes and windows are poisoned, not released: a
// host that touched them afterwards would crash the test.
#include <gtest/gtest.h>

#include "tests/host_input/input_rig.h"
#include "ui/core/window_wnd.h"

namespace {

// Deletes the probe at once (not through the deferred queue) when it receives `trigger`.
void DeleteOn(Probe* probe, int trigger) {
    probe->onEvent = [probe, trigger](UIEvent& e) {
        if (e.type != trigger) {
            return false;
        }
        auto* parent = static_cast<CContainerUI*>(probe->ParentControl());
        parent->SetDelayedDestroy(false);
        parent->Remove(probe);
        return true;
    };
}

struct DeleteCase {
    int trigger;
    std::vector<std::pair<UINT, int>> messages;  // message, x (keys: the key code)
    Log expected;
};

TEST(HostSafetyTest, ControlDeletedByItsOwnHandlerHearsNothingMore) {
    const DeleteCase cases[] = {
        {EventMouseEnter, {{WM_MOUSEMOVE, 10}, {WM_MOUSEMOVE, 12}}, {L"a:enter"}},
        {EventMouseLeave,
         {{WM_MOUSEMOVE, 10}, {WM_MOUSEMOVE, 60}},
         {L"a:enter", L"a:move", L"a:leave", L"b:enter", L"b:move"}},
        {EventFocusGained, {{WM_LBUTTONDOWN, 10}, {WM_LBUTTONUP, 10}}, {L"a:gained"}},
        {EventButtonDown,
         {{WM_LBUTTONDOWN, 10}, {WM_MOUSEMOVE, 12}, {WM_LBUTTONUP, 10}},
         {L"a:gained", L"a:down"}},
        {EventKeyDown, {{WM_KEYDOWN, 'K'}, {WM_KEYUP, 'K'}, {WM_CHAR, 'k'}}, {L"a:keydown"}},
    };
    for (const DeleteCase& c : cases) {
        auto* a = new Probe(L"a");
        InstallRow({a, new Probe(L"b")});
        SharedWindow().Host().SetFocusControl(c.trigger == EventKeyDown ? a : nullptr);
        g_log.clear();
        DeleteOn(a, c.trigger);
        for (const auto& m : c.messages) {
            bool key = m.first >= WM_KEYFIRST && m.first <= WM_KEYLAST;
            Send(m.first, key ? m.second : 0, key ? 0 : MAKELPARAM(m.second, 5));
        }
        EXPECT_EQ(c.expected, g_log) << "trigger " << c.trigger;
        EXPECT_EQ(nullptr, SharedWindow().Host().PressedControl());
        SharedWindow().Host().ReleaseMouse();
    }
}

TEST(HostSafetyTest, NotificationListenerDeletingTheSenderEndsTheDelivery) {
    auto* a = new Probe(L"a");
    CHorizontalLayoutUI* root = InstallRow({a});
    NotifyRecorder first;
    NotifyRecorder second;
    first.onNotify = [root, a](NotifyMsg&) {
        root->SetDelayedDestroy(false);
        root->Remove(a);
    };
    CWindowHostUI& host = SharedWindow().Host();
    host.AddNotifyListener(&first);
    host.AddNotifyListener(&second);
    SendMouse(WM_LBUTTONDOWN, 10, 10);
    host.RemoveNotifyListener(&first);
    host.RemoveNotifyListener(&second);
    EXPECT_EQ((Log{L"a:gained", L"a:setfocus"}), g_log);  // the second listener, the press: none
    EXPECT_EQ(nullptr, host.FocusedControl());
    EXPECT_FALSE(host.IsMouseCaptured());
}

TEST(HostSafetyTest, NewRootFromAHandlerKeepsTheOldTreeUntilTheQueueRuns) {
    auto* a = new Probe(L"a");
    InstallRow({a});
    bool oldDeleted = false;
    a->DestroyListeners().Add(MakeDelegate([&oldDeleted](void*) { return oldDeleted = true; }));
    a->EventListeners().Add(MakeDelegate([&oldDeleted](void* e) {
        bool& deleted = oldDeleted;  // this listener dies with its control below
        if (static_cast<UIEvent*>(e)->type == EventButtonDown) {
            SharedWindow().Host().AttachRoot(new Probe(L"new"));
            EXPECT_FALSE(deleted);
            RunQueue();  // a nested loop: the old tree, this control included, goes now
            EXPECT_TRUE(deleted);
        }
        return true;
    }));
    SendMouse(WM_LBUTTONDOWN, 10, 10);
    SendMouse(WM_LBUTTONUP, 10, 10);
    EXPECT_EQ((Log{L"a:gained", L"a:lost"}), g_log);  // no button-down handling after the listener
    EXPECT_EQ(nullptr, SharedWindow().Host().PressedControl());
    SharedWindow().Host().ReleaseMouse();
}

// A skinned window that deletes itself, and its host with it, when its native window goes.
class HostedWindow final : public CWindowWnd {
public:
    static void* operator new(std::size_t size) { return std::malloc(size); }
    static void operator delete(void* p, std::size_t size) { std::memset(p, 0x5A, size); }
    const wchar_t* WindowClassName() const override { return L"HostInputHosted"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        HWND window = WindowHandle();
        if (message == WM_CREATE) {
            host.AttachWindow(window);
        }
        LRESULT result = 0;
        if (host.ProcessMessage(message, wParam, lParam, result)) {
            return result;
        }
        return IsWindow(window) ? CWindowWnd::HandleMessage(message, wParam, lParam) : 0;
    }
    void OnFinalMessage(HWND) override { delete this; }
    CWindowHostUI host;
};

class Closer : public IMessageFilterUI {
public:
    LRESULT FilterMessage(UINT message, WPARAM, LPARAM, bool&) override {
        if (message == closeOn) {
            DestroyWindow(window);
        }
        return 0;
    }
    UINT closeOn = 0;
    HWND window = nullptr;
};

enum class CloseFrom { Event, Notification, Filter, PreFilter };

struct CloseCase {
    CloseFrom from;
    int eventType;  // the event (or the focus event behind the notification) that closes
    UINT message;
    WPARAM wParam;
};

TEST(HostSafetyTest, ClosingTheWindowFromInsideADeliveryStopsTheHost) {
    const CloseCase cases[] = {
        {CloseFrom::Event, EventButtonDown, WM_LBUTTONDOWN, 0},
        {CloseFrom::Event, EventMouseEnter, WM_MOUSEMOVE, 0},
        {CloseFrom::Event, EventKeyDown, WM_KEYDOWN, 'K'},
        {CloseFrom::Event, EventFocusLost, WM_CLOSE, 0},
        {CloseFrom::Notification, EventFocusGained, WM_LBUTTONDOWN, 0},
        {CloseFrom::Filter, 0, WM_MOUSEMOVE, 0},
        {CloseFrom::PreFilter, 0, WM_KEYDOWN, 'K'},
    };
    for (const CloseCase& c : cases) {
        auto* window = new HostedWindow;
        HWND handle = window->Create(nullptr, L"", WS_POPUP, 0, 0, 0, 200, 100);
        ASSERT_NE(nullptr, handle);
        auto* a = new Probe(L"a", ControlFlagTabStop);
        auto* root = new CHorizontalLayoutUI;
        root->Add(a);
        root->Add(new Probe(L"b", ControlFlagTabStop));
        window->host.AttachRoot(root);
        root->SetPos(RECT{0, 0, 200, 100});
        window->host.SetFocusControl(c.eventType == EventMouseEnter || c.from != CloseFrom::Event ? nullptr
                                                                                                  : a);
        Closer closer;
        closer.window = handle;
        closer.closeOn = c.message;
        NotifyRecorder notes;
        if (c.from == CloseFrom::Event) {
            a->onEvent = [&c, handle](UIEvent& e) { return e.type == c.eventType && DestroyWindow(handle); };
        } else if (c.from == CloseFrom::Notification) {
            notes.onNotify = [handle](NotifyMsg& msg) {
                if (msg.type == CWideString(L"setfocus")) {
                    DestroyWindow(handle);
                }
            };
            window->host.AddNotifyListener(&notes);
            window->host.AddNotifyListener(&notes);  // a second turn would read the dead host
        } else {
            (c.from == CloseFrom::Filter ? window->host.AddFilter(&closer)
                                         : window->host.AddPreFilter(&closer));
        }
        if (c.message == WM_KEYDOWN) {
            PostMessageW(handle, c.message, c.wParam, 0);
            RunQueue();
        } else {
            SendMessageW(handle, c.message, c.wParam, MAKELPARAM(10, 5));
        }
        EXPECT_FALSE(IsWindow(handle)) << static_cast<int>(c.from) << " " << c.message;
        g_log.clear();
    }
}

}  // namespace
