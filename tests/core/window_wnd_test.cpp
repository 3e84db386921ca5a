// CWindowWnd through real windows: registration, binding, the final message, the modal loop,
// centring and a superclassed system edit box.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "ui/core/window_host.h"
#include "ui/core/window_wnd.h"

namespace {

const UINT kAnswerMessage = WM_APP + 1;      // answered with 0x1234 + wParam
const UINT kOwnerProbeMessage = WM_APP + 2;  // records whether the owner is enabled

// Records what reaches a window object; destroys a window that outlives the test.
class CProbeWnd : public CWindowWnd {
public:
    explicit CProbeWnd(const wchar_t* className, const wchar_t* superclass = nullptr, UINT style = 0)
        : className_(className), superclass_(superclass), style_(style) {}
    ~CProbeWnd() {
        if (WindowHandle() != nullptr) {
            ::DestroyWindow(WindowHandle());
        }
    }

    const wchar_t* WindowClassName() const override { return className_; }
    const wchar_t* SuperclassName() const override { return superclass_; }
    UINT ClassStyle() const override { return style_; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message == throwOn) {
            throw std::bad_alloc();
        }
        if (message == WM_NCCREATE) {
            handleDuringNcCreate = WindowHandle();
        } else if (message == kAnswerMessage) {
            return 0x1234 + wParam;
        } else if (message == kOwnerProbeMessage) {
            ownerEnabledInLoop = ::IsWindowEnabled(::GetWindow(WindowHandle(), GW_OWNER)) != FALSE;
        } else if (message == WM_CLOSE) {
            ownerEnabledAtClose = ::IsWindowEnabled(::GetWindow(WindowHandle(), GW_OWNER)) != FALSE;
            visibleAtClose = ::IsWindowVisible(WindowHandle()) != FALSE;
            if (closesToRefuse > 0) {
                --closesToRefuse;
                return 0;
            }
        }
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }

    void OnFinalMessage(HWND window) override {
        ++finalCalls;
        finalWindow = window;
        handleAtFinal = WindowHandle();
        userDataAtFinal = ::GetWindowLongPtrW(window, GWLP_USERDATA);
        propertyAtFinal = ::GetPropW(window, L"WndX");
    }

    int Count(UINT message) const {
        int n = 0;
        for (UINT m : messages) {
            n += m == message ? 1 : 0;
        }
        return n;
    }

    std::vector<UINT> messages;
    HWND handleDuringNcCreate = nullptr;
    bool ownerEnabledInLoop = true;
    bool ownerEnabledAtClose = false;
    bool visibleAtClose = false;
    int closesToRefuse = 0;
    UINT throwOn = WM_USER + 999;  // a message whose handler runs out of memory
    int finalCalls = 0;
    HWND finalWindow = nullptr;
    HWND handleAtFinal = reinterpret_cast<HWND>(1);
    LONG_PTR userDataAtFinal = -1;
    HANDLE propertyAtFinal = reinterpret_cast<HANDLE>(1);

private:
    const wchar_t* className_;
    const wchar_t* superclass_;
    UINT style_;
};

// Storage for one self-deleting window object. Deleting the object does not free the storage
// but fills it with `poison`, normally the handle of a live window: code that still read the
// released object would find a live window handle (and no usable virtual table) there and fail
// visibly instead of passing by luck.
struct PoisonedStorage {
    alignas(std::max_align_t) unsigned char bytes[256];
    HWND poison = nullptr;
    bool released = false;

    bool HoldsOnlyPoison() const {
        const HWND* slots = reinterpret_cast<const HWND*>(bytes);
        for (std::size_t i = 0; i < sizeof(bytes) / sizeof(HWND); ++i) {
            if (slots[i] != poison) {
                return false;
            }
        }
        return true;
    }
};
PoisonedStorage g_storage;

class CSelfDeletingWnd final : public CWindowWnd {
public:
    static void* operator new(std::size_t size) {
        if (size > sizeof(g_storage.bytes)) {
            std::abort();
        }
        g_storage.released = false;
        return g_storage.bytes;
    }
    static void operator delete(void* storage, std::size_t /*size*/) {
        HWND* slots = static_cast<HWND*>(storage);
        for (std::size_t i = 0; i < sizeof(g_storage.bytes) / sizeof(HWND); ++i) {
            slots[i] = g_storage.poison;
        }
        g_storage.released = true;
    }

    CSelfDeletingWnd(int* finalCalls, bool failCreate) : finalCalls_(finalCalls), failCreate_(failCreate) {}

    const wchar_t* WindowClassName() const override { return L"WndTestSelfDeleting"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE && failCreate_) {
            return -1;
        }
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
    void OnFinalMessage(HWND /*window*/) override {
        ++*finalCalls_;
        delete this;
    }

private:
    int* finalCalls_;
    bool failCreate_;
};

void CALLBACK QuitOnTimeout(HWND, UINT, UINT_PTR, DWORD) {
    ::PostQuitMessage(99);
}

// Ends a modal loop that would otherwise hang a broken build: a thread timer whose callback
// posts WM_QUIT (exit code 99).
class CWatchdog {
public:
    CWatchdog() : timer_(::SetTimer(nullptr, 0, 3000, QuitOnTimeout)) {}
    ~CWatchdog() { ::KillTimer(nullptr, timer_); }
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;

private:
    UINT_PTR timer_;
};

// Removes every queued message; returns the exit code of a WM_QUIT among them, or -1.
int DrainQueue() {
    int quitCode = -1;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitCode = static_cast<int>(msg.wParam);
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    return quitCode;
}

std::wstring WindowText(HWND window) {
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    return text;
}

RECT WindowRect(HWND window) {
    RECT r = {};
    ::GetWindowRect(window, &r);
    return r;
}

RECT WorkArea(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

HWND CreatePopup(CWindowWnd& wnd, int width, int height, HWND owner = nullptr, int x = 0, int y = 0) {
    return wnd.Create(owner, L"probe", WS_POPUP, 0, x, y, width, height);
}

class WindowWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowHostUI::SetModuleInstance(::GetModuleHandleW(nullptr));
        DrainQueue();
    }
    void TearDown() override { DrainQueue(); }
};

TEST_F(WindowWndTest, MessagesReachTheObjectFromCreationToTheFinalMessage) {
    CProbeWnd wnd(L"WndTestMessages");
    const HWND window = wnd.Create(nullptr, L"title", WS_POPUP, 0, 0, 0, 100, 50);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(wnd.WindowHandle(), window);
    EXPECT_EQ(wnd.handleDuringNcCreate, window);
    EXPECT_EQ(wnd.Count(WM_NCCREATE), 1);
    EXPECT_EQ(wnd.Count(WM_CREATE), 1);
    EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_USERDATA),
              reinterpret_cast<LONG_PTR>(static_cast<CWindowWnd*>(&wnd)));
    EXPECT_EQ(::SendMessageW(window, kAnswerMessage, 5, 0), 0x1234 + 5);
    EXPECT_EQ(WindowText(window), L"title");  // unhandled messages get the default handling

    // A bound object refuses a second window.
    EXPECT_EQ(CreatePopup(wnd, 10, 10), nullptr);
    EXPECT_EQ(wnd.WindowHandle(), window);

    ::DestroyWindow(window);
    EXPECT_EQ(wnd.finalCalls, 1);
    EXPECT_EQ(wnd.finalWindow, window);
    EXPECT_EQ(wnd.handleAtFinal, nullptr);  // unbound before OnFinalMessage runs
    EXPECT_EQ(wnd.userDataAtFinal, 0);
    EXPECT_EQ(wnd.Count(WM_DESTROY), 1);
    EXPECT_EQ(wnd.Count(WM_NCDESTROY), 0);

    // Once finished the object can take a new window.
    EXPECT_NE(CreatePopup(wnd, 10, 10), nullptr);
}

// Running out of memory inside a handler ends at the window procedure: the message fails (a
// creation is refused), nothing unwinds through the system's frames, and the window goes on.
TEST_F(WindowWndTest, AllocationFailureInAHandlerNeverUnwindsThroughTheWindowProcedure) {
    CProbeWnd wnd(L"WndTestOutOfMemory");
    wnd.throwOn = WM_APP + 50;
    const HWND window = wnd.Create(nullptr, L"t", WS_POPUP, 0, 0, 0, 10, 10);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::SendMessageW(window, WM_APP + 50, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(window, kAnswerMessage, 1, 0), 0x1234 + 1);
}

TEST_F(WindowWndTest, WindowOfTheClassWithoutAnObjectGetsDefaultHandling) {
    CProbeWnd registrar(L"WndTestNoObject");
    ASSERT_TRUE(registrar.RegisterWindowClass());
    const HWND window = ::CreateWindowExW(0, L"WndTestNoObject", L"bare", WS_POPUP, 0, 0, 10, 10, nullptr,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"bare");
    EXPECT_TRUE(::DestroyWindow(window));
    EXPECT_TRUE(registrar.messages.empty());
}

TEST_F(WindowWndTest, TwoWindowsOfOneKindShareOneRegisteredClass) {
    CProbeWnd first(L"WndTestShared", nullptr, CS_DBLCLKS);
    CProbeWnd second(L"WndTestShared", nullptr, CS_DBLCLKS);
    ASSERT_NE(CreatePopup(first, 10, 10), nullptr);
    ASSERT_NE(CreatePopup(second, 10, 10), nullptr);
    EXPECT_TRUE(first.RegisterWindowClass());  // "already exists" counts as success
    EXPECT_EQ(::GetClassLongW(first.WindowHandle(), GCW_ATOM),
              ::GetClassLongW(second.WindowHandle(), GCW_ATOM));

    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"WndTestShared", &info));
    EXPECT_EQ(info.lpfnWndProc, &CWindowWnd::WindowProcedure);
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(info.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(info.hbrBackground, nullptr);
}

TEST_F(WindowWndTest, SuperclassOfAnUnknownClassCreatesNoWindow) {
    CProbeWnd unknownBase(L"WndTestBadSuper", L"WndTestNoSuchSystemClass");
    EXPECT_FALSE(unknownBase.RegisterSuperclass());
    EXPECT_EQ(CreatePopup(unknownBase, 10, 10), nullptr);
    EXPECT_TRUE(unknownBase.messages.empty());
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    EXPECT_FALSE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"WndTestBadSuper", &info));
}

TEST_F(WindowWndTest, SuperclassedEditBoxStillEditsAndReachesTheObject) {
    CProbeWnd parent(L"WndTestEditParent");
    ASSERT_NE(parent.Create(nullptr, L"parent", WS_POPUP | WS_VISIBLE, 0, 0, 0, 300, 100), nullptr);
    CProbeWnd edit(L"WndTestSuperEdit", L"EDIT");
    const HWND box = edit.Create(parent.WindowHandle(), L"hello", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0,
                                 10, 10, 200, 24);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(::GetPropW(box, L"WndX"), static_cast<CWindowWnd*>(&edit));
    EXPECT_EQ(WindowText(box), L"hello");

    ::SendMessageW(box, EM_SETSEL, 5, 5);
    ::SendMessageW(box, WM_CHAR, L'!', 1);
    EXPECT_EQ(WindowText(box), L"hello!");
    ::SendMessageW(box, EM_SETSEL, 1, 4);
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 4u);
    EXPECT_EQ(edit.Count(WM_CHAR), 1);

    ::DestroyWindow(parent.WindowHandle());
    EXPECT_EQ(edit.finalCalls, 1);
    EXPECT_EQ(edit.finalWindow, box);
    EXPECT_EQ(edit.propertyAtFinal, nullptr);
    EXPECT_EQ(edit.WindowHandle(), nullptr);
}

TEST_F(WindowWndTest, ModalLoopReturnsTheCodeOfThePostedClose) {
    CProbeWnd wnd(L"WndTestModal");
    const HWND window = CreatePopup(wnd, 50, 50);
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_CLOSE, 7, 0);
    CWatchdog watchdog;
    EXPECT_EQ(wnd.ShowModal(), 7u);
    EXPECT_TRUE(wnd.visibleAtClose);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(wnd.finalCalls, 1);
    EXPECT_EQ(DrainQueue(), -1);
}

TEST_F(WindowWndTest, ModalLoopRunsUntilTheWindowIsGoneAndKeepsTheLastCloseCode) {
    CProbeWnd other(L"WndTestModal");
    ASSERT_NE(CreatePopup(other, 10, 10), nullptr);
    other.closesToRefuse = 1;
    CProbeWnd wnd(L"WndTestModal");
    ASSERT_NE(CreatePopup(wnd, 50, 50), nullptr);
    wnd.closesToRefuse = 1;

    ::PostMessageW(other.WindowHandle(), WM_CLOSE, 9, 0);  // another window's close is not ours
    wnd.Close(3);                                           // refused: the loop goes on
    wnd.Close(5);
    CWatchdog watchdog;
    EXPECT_EQ(wnd.ShowModal(), 5u);
    EXPECT_EQ(wnd.Count(WM_CLOSE), 2);
    EXPECT_EQ(other.Count(WM_CLOSE), 1);
    EXPECT_TRUE(::IsWindow(other.WindowHandle()));
}

TEST_F(WindowWndTest, QuitEndsTheModalLoopAndIsPostedAgain) {
    CProbeWnd wnd(L"WndTestModal");
    ASSERT_NE(CreatePopup(wnd, 50, 50), nullptr);
    ::PostQuitMessage(42);
    EXPECT_EQ(wnd.ShowModal(), 0u);
    EXPECT_TRUE(::IsWindow(wnd.WindowHandle()));
    EXPECT_EQ(DrainQueue(), 42);
}

TEST_F(WindowWndTest, ModalLoopDisablesTheOwnerUntilTheCloseArrives) {
    CProbeWnd owner(L"WndTestOwner");
    ASSERT_NE(owner.Create(nullptr, L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 0, 200, 200), nullptr);
    CProbeWnd wnd(L"WndTestModal");
    const HWND window = CreatePopup(wnd, 50, 50, owner.WindowHandle());
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, kOwnerProbeMessage, 0, 0);
    wnd.Close(1);
    CWatchdog watchdog;
    EXPECT_EQ(wnd.ShowModal(), 1u);
    EXPECT_FALSE(wnd.ownerEnabledInLoop);
    EXPECT_TRUE(wnd.ownerEnabledAtClose);
    EXPECT_TRUE(::IsWindowEnabled(owner.WindowHandle()));
    EXPECT_EQ(::GetFocus(), owner.WindowHandle());
}

TEST_F(WindowWndTest, ModalLoopNeverReadsAnObjectThatDeletedItself) {
    CProbeWnd sentinel(L"WndTestSentinel");
    ASSERT_NE(CreatePopup(sentinel, 10, 10), nullptr);
    g_storage.poison = sentinel.WindowHandle();
    int finalCalls = 0;
    CSelfDeletingWnd* wnd = new CSelfDeletingWnd(&finalCalls, false);
    const HWND window = CreatePopup(*wnd, 50, 50);
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_CLOSE, 7, 0);
    CWatchdog watchdog;
    EXPECT_EQ(wnd->ShowModal(), 7u);
    EXPECT_EQ(finalCalls, 1);
    EXPECT_TRUE(g_storage.released);
    EXPECT_TRUE(g_storage.HoldsOnlyPoison());
    EXPECT_EQ(DrainQueue(), -1);  // the watchdog did not have to end the loop
}

TEST_F(WindowWndTest, FailedCreationNeverWritesToAnObjectThatDeletedItself) {
    g_storage.poison = reinterpret_cast<HWND>(0x5a5a5a5a);
    int finalCalls = 0;
    CSelfDeletingWnd* wnd = new CSelfDeletingWnd(&finalCalls, true);
    EXPECT_EQ(CreatePopup(*wnd, 50, 50), nullptr);
    EXPECT_EQ(finalCalls, 1);
    EXPECT_TRUE(g_storage.released);
    EXPECT_TRUE(g_storage.HoldsOnlyPoison());
}

TEST_F(WindowWndTest, ServicesOfAnObjectWithoutWindowDoNothing) {
    CProbeWnd wnd(L"WndTestUnbound");
    wnd.Close(3);
    wnd.CenterWindow();
    EXPECT_EQ(wnd.ShowModal(), 0u);
    EXPECT_EQ(wnd.WindowHandle(), nullptr);
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
}

TEST_F(WindowWndTest, CentresAnOwnerlessWindowOnItsWorkArea) {
    CProbeWnd wnd(L"WndTestCentre");
    ASSERT_NE(CreatePopup(wnd, 201, 101, nullptr, 3, 4), nullptr);
    wnd.CenterWindow();
    const RECT area = WorkArea(wnd.WindowHandle());
    const RECT placed = WindowRect(wnd.WindowHandle());
    EXPECT_EQ(placed.left, (area.left + area.right) / 2 - 100);
    EXPECT_EQ(placed.top, (area.top + area.bottom) / 2 - 50);
    EXPECT_EQ(placed.right - placed.left, 201);
    EXPECT_EQ(placed.bottom - placed.top, 101);
}

TEST_F(WindowWndTest, OwnerlessWindowLargerThanItsWorkAreaStartsAtItsCorner) {
    CProbeWnd probe(L"WndTestCentre");
    ASSERT_NE(CreatePopup(probe, 10, 10), nullptr);
    const RECT area = WorkArea(probe.WindowHandle());
    CProbeWnd wnd(L"WndTestCentre");
    ASSERT_NE(CreatePopup(wnd, area.right - area.left + 120, area.bottom - area.top + 80), nullptr);
    wnd.CenterWindow();
    const RECT placed = WindowRect(wnd.WindowHandle());
    EXPECT_EQ(placed.left, area.left);
    EXPECT_EQ(placed.top, area.top);
}

TEST_F(WindowWndTest, CentresOverTheOwnerInsideTheWorkArea) {
    CProbeWnd owner(L"WndTestCentre");
    ASSERT_NE(CreatePopup(owner, 400, 300, nullptr, 100, 100), nullptr);
    CProbeWnd wnd(L"WndTestCentre");
    ASSERT_NE(CreatePopup(wnd, 200, 100, owner.WindowHandle()), nullptr);
    wnd.CenterWindow();
    EXPECT_EQ(WindowRect(wnd.WindowHandle()).left, 200);
    EXPECT_EQ(WindowRect(wnd.WindowHandle()).top, 200);

    const RECT area = WorkArea(owner.WindowHandle());
    ::SetWindowPos(owner.WindowHandle(), nullptr, area.right - 100, area.bottom - 50, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    wnd.CenterWindow();
    EXPECT_EQ(WindowRect(wnd.WindowHandle()).right, area.right);
    EXPECT_EQ(WindowRect(wnd.WindowHandle()).bottom, area.bottom);
}

}  // namespace
