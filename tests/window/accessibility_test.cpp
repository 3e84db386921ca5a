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

// The child ids of the client-area objects whose value changed. The hook only records them:
// a call back into the window from inside the hook lets the next event's hook run nested, out
// of order.
std::vector<LONG> g_valueChanges;

void CALLBACK OnValueChange(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) g_valueChanges.push_back(child);
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

}  // namespace

TEST(UpdateWindowAccessibility, ScreenReaderReadsTheDownloadHearsEachPercentageAndPressesTheButton) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    TestHttpServer server;
    ASSERT_TRUE(server.Started());
    ScratchFolder scratch{L"accessibility"};
    const std::wstring target = scratch.Path() + L"host_app.exe";
    ASSERT_TRUE(WriteWholeFile(target, ReadWholeFile(ProgramFolder() + L"host_app_old.exe")));
    HttpResponse held = HttpResponse::Ok(ReadWholeFile(ProgramFolder() + L"host_app_new.exe"));
    held.holdBody = true;
    held.pieceBytes = held.body.size() / 40 + 1;
    held.pieceDelayMs = 30;
    server.Route("/held.exe", held);
    ChildProcess updater;
    ASSERT_TRUE(updater.Start(ProgramFolder() + L"updater.exe",
                              Quoted(server.WideUrl("/held.exe")) + L" " + Quoted(target)));
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount("/held.exe") == 1; }, 20000));
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = WindowOfProcess(L"UIUpdateWnd", updater.Id())) != nullptr; }, 5000));

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
                                         OnValueChange, updater.Id(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    server.ReleaseHeldBodies();
    WaitUntil([&] { return g_valueChanges.size() >= 5; }, 15000);
    UnhookWinEvent(hook);
    ASSERT_GE(g_valueChanges.size(), 5u);
    // Every event names the progress bar, which shows a percentage.
    for (LONG child : g_valueChanges) EXPECT_EQ(child, g_valueChanges.front());
    IAccessible* source = nullptr;
    VARIANT element;
    VariantInit(&element);
    ASSERT_HRESULT_SUCCEEDED(AccessibleObjectFromEvent(window, OBJID_CLIENT, g_valueChanges.front(), &source, &element));
    EXPECT_EQ(element.lVal, CHILDID_SELF) << "every control is an object of its own";
    EXPECT_EQ(ReadLong(source, &IAccessible::get_accRole), ROLE_SYSTEM_PROGRESSBAR);
    const std::wstring value = ReadText(source, &IAccessible::get_accValue);
    EXPECT_EQ(value, std::to_wstring(_wtoi(value.c_str())) + L"%");
    EXPECT_GT(_wtoi(value.c_str()), 0);
    source->Release();

    EXPECT_GE(updater.Wait(60000), 0);
    CloseRunningHost();
    DeleteFileW(TempDownloadPath(target).c_str());
    CoUninitialize();
}
