#include <gtest/gtest.h>

#include "tests/host_input/input_rig.h"

namespace {

struct MoveCase {
    int x;
    Log expected;
};

// a covers x 0..49, b 50..99; 250 lies on the bare root, which takes the hover itself.
TEST(HostMouseTest, HoverChangesDeliverLeaveEnterMoveInOrder) {
    InstallRow({new Probe(L"a"), new Probe(L"b")});
    const MoveCase cases[] = {
        {10, {L"a:enter", L"a:move"}},
        {20, {L"a:move"}},
        {60, {L"a:leave", L"b:enter", L"b:move"}},
        {-5, {L"b:leave"}},
    };
    for (const MoveCase& c : cases) {
        g_log.clear();
        SendMouse(WM_MOUSEMOVE, c.x, 10);
        EXPECT_EQ(c.expected, g_log) << "x " << c.x;
    }
    EXPECT_EQ(nullptr, SharedWindow().Host().HoverControl());
}

TEST(HostMouseTest, PressedControlGetsEveryMoveAndTheRelease) {
    InstallRow({new Probe(L"a"), new Probe(L"b")});
    SendMouse(WM_MOUSEMOVE, 10, 10);
    SendMouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    EXPECT_TRUE(SharedWindow().Host().IsMouseCaptured());
    g_log.clear();
    SendMouse(WM_MOUSEMOVE, 60, 10, MK_LBUTTON);
    SendMouse(WM_LBUTTONUP, 200, 10);
    EXPECT_EQ((Log{L"a:leave", L"b:enter", L"a:move", L"a:up"}), g_log);
    EXPECT_FALSE(SharedWindow().Host().IsMouseCaptured());
    EXPECT_EQ(nullptr, SharedWindow().Host().PressedControl());
}

// Windows sends down, up, double click, up for a double click.
TEST(HostMouseTest, DoubleClickFollowsTheMessagesAndLeavesTheFocus) {
    auto* a = new Probe(L"a");
    auto* b = new Probe(L"b");
    InstallRow({a, b});
    SendMouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    SendMouse(WM_LBUTTONUP, 10, 10);
    SharedWindow().Host().SetFocusControl(b);
    g_log.clear();
    SendMouse(WM_LBUTTONDBLCLK, 10, 10, MK_LBUTTON);
    EXPECT_EQ(0u, a->last.wParam);
    EXPECT_EQ(0, a->last.lParam);
    EXPECT_EQ(MK_LBUTTON, a->last.keyState);
    SendMouse(WM_LBUTTONUP, 10, 10);
    EXPECT_EQ((Log{L"a:dbl", L"a:up"}), g_log);
    EXPECT_EQ(b, SharedWindow().Host().FocusedControl());
}

TEST(HostMouseTest, WheelTellsTheDirectionAndReevaluatesTheHover) {
    auto* a = new Probe(L"a");
    InstallRow({a});
    std::vector<UIEvent> wheels;
    a->onEvent = [&wheels](UIEvent& e) {
        if (e.type == EventScrollWheel) {
            wheels.push_back(e);
        }
        return false;
    };
    SendScreenMouse(WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, -WHEEL_DELTA));
    EXPECT_EQ((Log{L"a:wheel", L"a:enter", L"a:move"}), g_log);
    SendScreenMouse(WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, WHEEL_DELTA));
    ASSERT_EQ(2u, wheels.size());
    EXPECT_EQ(1u, wheels[0].wParam);
    EXPECT_EQ(0u, wheels[1].wParam);
    EXPECT_EQ(0, wheels[0].point.x);
    EXPECT_EQ(10, a->last.point.x);  // the move that re-evaluated the hover
}

TEST(HostMouseTest, ContextMenuGoesToTheRightPressedControl) {
    auto* a = new Probe(L"a");
    InstallRow({a});
    NotifyRecorder notes;
    SharedWindow().Host().AddNotifyListener(&notes);
    a->SetMenuEnabled(true);
    SendMouse(WM_RBUTTONDOWN, 10, 10, MK_RBUTTON);
    SendScreenMouse(WM_CONTEXTMENU, 12, 10);
    SharedWindow().Host().RemoveNotifyListener(&notes);
    EXPECT_EQ((Log{L"a:gained", L"a:setfocus", L"a:rdown", L"a:ctxmenu", L"a:menu"}), g_log);
    EXPECT_EQ(reinterpret_cast<LPARAM>(a), a->last.lParam);
    EXPECT_EQ(12, a->last.point.x);
    EXPECT_EQ(nullptr, SharedWindow().Host().PressedControl());
    EXPECT_FALSE(SharedWindow().Host().IsMouseCaptured());
}

// The cursor cannot be moved onto a window far off-screen, so the probe is placed under it.
TEST(HostMouseTest, SetCursorReachesOnlyControlsThatAskForIt) {
    auto* wants = new Probe(L"wants", ControlFlagSetCursor);
    auto* plain = new Probe(L"plain");
    CHorizontalLayoutUI* root = InstallRow({wants, plain});
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(SharedWindow().Handle(), &cursor);
    root->SetPos(RECT{cursor.x - 25, cursor.y - 5, cursor.x + 75, cursor.y + 5});  // wants under it
    CWindowHostUI& host = SharedWindow().Host();
    LRESULT result = 0;
    EXPECT_TRUE(host.ProcessMessage(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
    EXPECT_EQ(Log{L"wants:cursor"}, g_log);
    EXPECT_FALSE(host.ProcessMessage(WM_SETCURSOR, 0, MAKELPARAM(HTCAPTION, 0), result));
    root->SetPos(RECT{cursor.x - 75, cursor.y - 5, cursor.x + 25, cursor.y + 5});  // plain under it
    EXPECT_FALSE(host.ProcessMessage(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, 0), result));
    host.CaptureMouse();
    g_log.clear();
    EXPECT_TRUE(host.ProcessMessage(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, 0), result));
    EXPECT_TRUE(g_log.empty());
    host.ReleaseMouse();
}

TEST(HostMouseTest, ControlsOfAnotherHostAreIgnored) {
    CWindowHostUI other;
    auto* a = new Probe(L"a");
    InstallRow({a});
    a->AttachHost(&other, a->ParentControl(), false);
    SendMouse(WM_MOUSEMOVE, 10, 10);
    SendMouse(WM_LBUTTONDOWN, 10, 10);
    EXPECT_TRUE(g_log.empty());
    EXPECT_EQ(nullptr, SharedWindow().Host().PressedControl());
    a->AttachHost(&SharedWindow().Host(), a->ParentControl(), false);
}

}  // namespace
