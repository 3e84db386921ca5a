// The update window as a screen reader meets it, from this process while the real updater.exe
// downloads: the tree under the client area, the progress announced per percentage, and the
// button pressed through its default action.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/http_server.h"  // first: it brings winsock2.h before windows.h
#include "tests/support/accessible_walk.h"
#include "tests/support/process.h"
#include "updater/paths.h"

namespace {

// The window and child id of each client-area event the hook saw. The hook only records them:
// a call back into the window from inside the hook lets the next event's hook run nested, out
// of order.
std::vector<std::pair<HWND, LONG>> g_events;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) g_events.emplace_back(window, child);
}

HWND WindowOfProcess(const wchar_t* className, DWORD processId) {
    for (HWND window = FindWindowW(className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

class UpdateWindowAccessibility : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(server.Started());
        ASSERT_TRUE(WriteWholeFile(target, ReadWholeFile(ProgramFolder() + L"host_app_old.exe")));
        g_events.clear();
    }

    void TearDown() override {
        server.ReleaseHeldBodies();
        updater.Wait(60000);
        CloseRunningHost();
        DeleteFileW(TempDownloadPath(target).c_str());
        CoUninitialize();
    }

    // Starts updater.exe on the route; its window once the server has seen the request.
    HWND StartUpdater(const std::string& route) {
        if (!updater.Start(ProgramFolder() + L"updater.exe", Quoted(server.WideUrl(route)) + L" " + Quoted(target)) ||
            !WaitUntil([&] { return server.RequestCount(route) == 1; }, 20000)) {
            return nullptr;
        }
        HWND window = nullptr;
        WaitUntil([&] { return (window = WindowOfProcess(L"UIUpdateWnd", updater.Id())) != nullptr; }, 5000);
        return window;
    }

    TestHttpServer server;
    ScratchFolder scratch{L"accessibility"};
    const std::wstring target = scratch.Path() + L"host_app.exe";
    ChildProcess updater;
};

}  // namespace

TEST_F(UpdateWindowAccessibility, ScreenReaderReadsTheDownloadHearsEachPercentageAndPressesTheButton) {
    HttpResponse held = HttpResponse::Ok(ReadWholeFile(ProgramFolder() + L"host_app_new.exe"));
    held.holdBody = true;
    held.pieceBytes = held.body.size() / 40 + 1;
    held.pieceDelayMs = 30;
    server.Route("/held.exe", held);
    HWND window = StartUpdater("/held.exe");
    ASSERT_NE(window, nullptr);

    {
        AccessibleTree tree(window);
        ASSERT_HRESULT_SUCCEEDED(tree.result);
        ASSERT_FALSE(tree.nodes.empty());
        EXPECT_EQ(tree.nodes[0].role, ROLE_SYSTEM_CLIENT);
        // Every plain layout of the skin is unnamed, so the controls are the client's children.
        for (size_t i = 1; i < tree.nodes.size(); ++i) EXPECT_EQ(tree.nodes[i].depth, 1) << i;
        const AccessibleNode* caption = tree.Find(ROLE_SYSTEM_STATICTEXT, L"当前文件：");
        const AccessibleNode* file = tree.Find(ROLE_SYSTEM_STATICTEXT, L"host_app.exe");
        const AccessibleNode* bar = tree.Find(ROLE_SYSTEM_PROGRESSBAR, L"下载进度：");
        const AccessibleNode* button = tree.Find(ROLE_SYSTEM_PUSHBUTTON, L"最小化到任务栏");
        ASSERT_TRUE(caption && file && bar && button);
        EXPECT_EQ(file, caption + 1);
        EXPECT_EQ(bar->value, L"0%");
        EXPECT_TRUE(tree.Find(ROLE_SYSTEM_STATICTEXT, bar->value)) << "the percentage shown beside the bar";
        EXPECT_EQ(button->state & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE), STATE_SYSTEM_FOCUSABLE);
        EXPECT_EQ(bar->state & STATE_SYSTEM_READONLY, STATE_SYSTEM_READONLY);

        EXPECT_EQ(ReadText(button->object, &IAccessible::get_accDefaultAction), L"Press");
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        EXPECT_HRESULT_SUCCEEDED(button->object->accDoDefaultAction(self));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }, 5000)) << "hidden to the tray";
    }

    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                                         RecordEvent, updater.Id(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    server.ReleaseHeldBodies();
    WaitUntil([&] { return g_events.size() >= 5; }, 15000);
    UnhookWinEvent(hook);
    ASSERT_GE(g_events.size(), 5u);
    // Every event names the progress bar, which shows a percentage.
    for (const auto& event : g_events) EXPECT_EQ(event, g_events.front());
    IAccessible* source = nullptr;
    VARIANT element;
    VariantInit(&element);
    ASSERT_HRESULT_SUCCEEDED(AccessibleObjectFromEvent(window, OBJID_CLIENT, g_events.front().second, &source, &element));
    EXPECT_EQ(element.lVal, CHILDID_SELF) << "every control is an object of its own";
    EXPECT_EQ(ReadLong(source, &IAccessible::get_accRole), ROLE_SYSTEM_PROGRESSBAR);
    const std::wstring value = ReadText(source, &IAccessible::get_accValue);
    EXPECT_EQ(value, std::to_wstring(_wtoi(value.c_str())) + L"%");
    EXPECT_GT(_wtoi(value.c_str()), 0);
    source->Release();

    EXPECT_GE(updater.Wait(60000), 0);
}

TEST_F(UpdateWindowAccessibility, FailedDownloadRaisesAnAlertNamedAfterTheBalloon) {
    server.Route("/missing.exe", HttpResponse::Status(404, "not here"));
    // Set before the start: the failure may come before the window could be found.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, RecordEvent, 0, 0,
                                         WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    HWND window = StartUpdater("/missing.exe");
    ASSERT_NE(window, nullptr);
    const bool alerted = WaitUntil(
        [&] {
            for (const auto& event : g_events) if (event.first == window) return true;
            return false;
        },
        10000);
    UnhookWinEvent(hook);
    ASSERT_TRUE(alerted);
    IAccessible* alert = nullptr;
    VARIANT element;
    VariantInit(&element);
    for (const auto& event : g_events) {
        if (event.first != window) continue;
        ASSERT_HRESULT_SUCCEEDED(AccessibleObjectFromEvent(window, OBJID_CLIENT, event.second, &alert, &element));
        EXPECT_EQ(ReadLong(alert, &IAccessible::get_accRole), ROLE_SYSTEM_ALERT);
        EXPECT_EQ(ReadText(alert, &IAccessible::get_accName), L"下载错误，升级失败！");
        alert->Release();
        break;
    }
}
