// The update window with the shipped skin, driven by real messages: progress, the tray icon,
// hiding to the tray, caption dragging, the outcome of a download, closing while the download
// runs, and a window that keeps painting while the install waits for the host.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/display_dpi.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/updater_skin.h"
#include "tests/window/text_fit.h"
#include "ui/controls/progress.h"
#include "ui/core/window_dpi.h"
#include "ui/draw/gdi_objects.h"
#include "updater/paths.h"
#include "updater/ui_texts.h"
#include "updater/update_window.h"
#include "updater/install/window_record.h"

namespace {

constexpr DWORD kWindowStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

POINT CenterOf(CControlUI* control) {
    const RECT& rc = control->Pos();
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// How many columns of `area` differ between two pictures of the window.
int ChangedColumns(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width,
                   const RECT& area) {
    int changed = 0;
    for (LONG x = area.left; x < area.right; ++x) {
        for (LONG y = area.top; y < area.bottom; ++y) {
            if (a[y * width + x] != b[y * width + x]) {
                ++changed;
                break;
            }
        }
    }
    return changed;
}

// The client area as the window paints it, through WM_PRINTCLIENT into a 32-bit top-down DIB.
std::vector<uint32_t> Picture(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    CMemoryDC dc(nullptr);
    CGdiObject<HBITMAP> bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return {};
    CSelectScope select(dc.Get(), bitmap.Get());
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    return std::vector<uint32_t>(pixels, pixels + client.right * client.bottom);
}

LPARAM ClientPoint(POINT pt) {
    return MAKELPARAM(pt.x, pt.y);
}

LPARAM ScreenPoint(HWND window, POINT pt) {
    ClientToScreen(window, &pt);
    return MAKELPARAM(pt.x, pt.y);
}

// The window, its font and its controls (parents first) as the skin asks at `dpi`: each edge of
// the 96-DPI layout scaled within a pixel (lengths are rounded one by one before they add up).
std::vector<RECT> ExpectSkinAtDpi(HWND handle, CWindowHostUI& host, int dpi) {
    EXPECT_EQ(host.Dpi(), dpi);
    RECT w;
    GetWindowRect(handle, &w);
    EXPECT_TRUE(w.right - w.left == dpi::ScaleLength(300, dpi) && w.bottom - w.top == dpi::ScaleLength(160, dpi));
    const TEXTMETRICW& font = host.FontInfoAt(0).metrics;
    EXPECT_EQ(font.tmHeight - font.tmInternalLeading, dpi::ScaleLength(12, dpi));
    UpdateWindow(handle);
    std::vector<RECT> all;
    host.Root()->FindControl(
        [](CControlUI* control, void* data) -> CControlUI* {
            if (!control->CastTo(L"ScrollBar")) static_cast<std::vector<RECT>*>(data)->push_back(control->Pos());
            return nullptr;
        },
        &all, FindMeFirst);
    EXPECT_EQ(all.size(), std::size(kUpdaterSkinRects));
    for (size_t i = 0; i < all.size() && i < std::size(kUpdaterSkinRects); ++i) {
        const RECT& at96 = kUpdaterSkinRects[i];
        for (auto edge : {&RECT::left, &RECT::top, &RECT::right, &RECT::bottom}) {
            EXPECT_NEAR(all[i].*edge, at96.*edge * dpi / 96.0, 1.0) << "control " << i;
        }
    }
    return all;
}

class UpdateWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr)); }

    void SetUp() override {
        ASSERT_TRUE(server.Started());
        oldProgram = ReadWholeFile(ProgramFolder() + L"host_app_old.exe");
        newProgram = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
        ASSERT_FALSE(newProgram.empty());
        server.Route("/new.exe", HttpResponse::Ok(newProgram));
    }

    void TearDown() override {
        // A window that a failed check left open would hold the single-instance guard.
        if (window != nullptr && IsWindow(handle)) DestroyWindow(handle);
        server.ReleaseHeldBodies();
        CloseRunningHost();
        DeleteFileW(TempDownloadPath(target).c_str());
    }

    // Opens the window as the entry point does, but shown without activation. The first paint
    // starts the download (Wine sends none to a window that lies wholly off-screen).
    HWND Open(const std::string& route) {
        window = new CUpdateWnd(server.WideUrl(route), target);
        handle = window->Create(nullptr, L"在线升级", kWindowStyle, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE);
        if (handle) ShowWindow(handle, SW_SHOWNOACTIVATE);
        return handle;
    }

    CControlUI* Control(const wchar_t* name) { return window->Host().FindControlByName(name); }

    TestHttpServer server;
    ScratchFolder scratch{L"update-window"};
    const std::wstring target = scratch.Path() + L"host_app.exe";
    std::string oldProgram;
    std::string newProgram;
    CUpdateWnd* window = nullptr;  // deletes itself with its window
    HWND handle = nullptr;
};

}  // namespace

TEST_F(UpdateWindowTest, DownloadingWindowShowsProgressHidesToTheTrayAndStopsTheTransferWhenClosed) {
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    HttpResponse held = HttpResponse::Ok(newProgram);
    held.holdBody = true;
    server.Route("/held.exe", held);
    ASSERT_NE(Open("/held.exe"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount("/held.exe") == 1; }, 10000));

    // Each handler runs once per message: the base's answer (the work area) comes first and the
    // host's maximum track size last, not the base's once more.
    window->Host().SetMaxTrackSize(123, 77);
    MINMAXINFO limits = {};
    SendMessageW(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(123, limits.ptMaxTrackSize.x);
    EXPECT_EQ(77, limits.ptMaxTrackSize.y);
    WaitUntil([] { return false; }, 300);  // the worker's first (0%) report arrives

    CControlUI* name = Control(L"down_current_name");
    CControlUI* percent = Control(L"down_progress_percent");
    auto* bar = static_cast<CProgressUI*>(Control(L"down_progress"));
    ASSERT_TRUE(name && percent && bar);
    EXPECT_EQ(name->Text(), L"host_app.exe");
    EXPECT_EQ(percent->Text(), L"0%");

    const NOTIFYICONDATAW& tray = window->TrayData();
    EXPECT_EQ(tray.hWnd, handle);
    EXPECT_EQ(tray.uID, TRAY_ICON_ID);
    EXPECT_EQ(tray.uCallbackMessage, WM_TRAY_NOTIFY);
    EXPECT_EQ(tray.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_NE(tray.hIcon, nullptr);
    EXPECT_STREQ(tray.szTip, L"程序更新中");

    struct Step {
        WPARAM sent;
        int value;
        const wchar_t* text;
    };
    const Step steps[] = {{42, 42, L"42%"},
                          {101, 42, L"42%"},
                          {static_cast<WPARAM>(-1), 42, L"42%"},
                          {0, 0, L"0%"},
                          {100, 100, L"100%"}};
    for (const Step& step : steps) {
        SendMessageW(handle, WM_DOWNLOAD_PROGRESS, step.sent, 0);
        EXPECT_EQ(bar->Value(), step.value) << step.sent;
        EXPECT_EQ(percent->Text(), step.text) << step.sent;
    }

    // The fill grows with the value, from the left.
    std::vector<uint32_t> pictures[3];
    const WPARAM values[3] = {0, 42, 100};
    for (int i = 0; i < 3; ++i) {
        SendMessageW(handle, WM_DOWNLOAD_PROGRESS, values[i], 0);
        pictures[i] = Picture(handle);
        ASSERT_FALSE(pictures[i].empty());
    }
    RECT client;
    GetClientRect(handle, &client);
    const RECT& barRect = bar->Pos();
    const int partly = ChangedColumns(pictures[0], pictures[1], client.right, barRect);
    const int full = ChangedColumns(pictures[0], pictures[2], client.right, barRect);
    EXPECT_GT(partly, 0);
    EXPECT_GT(full, partly);
    EXPECT_LE(partly, (barRect.right - barRect.left) * 42 / 100 + 2);

    // The title drags the window; the button does not.
    CControlUI* title = Control(L"down_dlg_title");
    CControlUI* button = Control(L"down_taskbar_button");
    ASSERT_TRUE(title && button);
    EXPECT_EQ(SendMessageW(handle, WM_NCHITTEST, 0, ScreenPoint(handle, CenterOf(title))), HTCAPTION);
    EXPECT_EQ(SendMessageW(handle, WM_NCHITTEST, 0, ScreenPoint(handle, CenterOf(button))), HTCLIENT);

    // A real click on the button hides the window to the tray; a double click on the icon
    // brings it back, and another one while it is shown changes nothing.
    SendMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(CenterOf(button)));
    SendMessageW(handle, WM_LBUTTONUP, 0, ClientPoint(CenterOf(button)));
    EXPECT_FALSE(IsWindowVisible(handle));
    SendMessageW(handle, WM_TRAY_NOTIFY, TRAY_ICON_ID + 1, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(IsWindowVisible(handle));
    SendMessageW(handle, WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(handle));
    SendMessageW(handle, WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(handle));

    // Alt+F4 while the body is still on its way: the transfer stops, the partial file goes and
    // the old program stays.
    ASSERT_TRUE(FileExists(TempDownloadPath(target)));
    const DWORD start = GetTickCount();
    SendMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_LT(GetTickCount() - start, CUpdateWnd::kWorkerStopTimeoutMs);
    EXPECT_FALSE(FileExists(TempDownloadPath(target)));
    EXPECT_TRUE(ReadWholeFile(target) == oldProgram);
}

TEST_F(UpdateWindowTest, FailedDownloadShowsTheBalloonHidesAndClosesAfterTheTimer) {
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    server.Route("/missing.exe", HttpResponse::Status(404, "not here"));
    ASSERT_NE(Open("/missing.exe"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(handle); }, 20000));
    const DWORD hiddenAt = GetTickCount();
    const NOTIFYICONDATAW& tray = window->TrayData();
    EXPECT_NE(tray.uFlags & NIF_INFO, 0u);
    EXPECT_STREQ(tray.szInfo, L"下载错误，升级失败！");

    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(handle); }, 10000));
    const DWORD closedAfter = GetTickCount() - hiddenAt;
    EXPECT_GE(closedAfter, kAutoCloseDelayMs - 200);
    EXPECT_LT(closedAfter, kAutoCloseDelayMs + 3000);
    EXPECT_TRUE(ReadWholeFile(target) == oldProgram);
}

// The host takes its time to exit after the close request; meanwhile the install waits on the
// window's thread, which must still answer and paint, and must not let a close in.
TEST_F(UpdateWindowTest, WindowKeepsPaintingWhileTheInstallWaitsForTheHost) {
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    ChildProcess host;
    ASSERT_TRUE(host.Start(target, L"--exit-delay=2500"));
    ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(kHostRecordName) != nullptr; }, 10000));

    ASSERT_NE(Open("/new.exe"), nullptr);
    std::atomic<bool> answered{false}, painted{false}, hostStillRunning{false};
    std::thread observer([&] {
        const DWORD start = GetTickCount();
        while (!LogHas(target, "close-requested") && GetTickCount() - start < 20000) Sleep(20);
        DWORD_PTR ignored = 0;
        answered = SendMessageTimeoutW(handle, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) != 0;
        RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE);
        const DWORD invalidated = GetTickCount();
        while (GetUpdateRect(handle, nullptr, FALSE) && GetTickCount() - invalidated < 1000) Sleep(10);
        painted = !GetUpdateRect(handle, nullptr, FALSE);
        hostStillRunning = host.Running();
        PostMessageW(handle, WM_CLOSE, 1, 0);  // must wait until the install is done
    });
    const bool closed = WaitUntil([&] { return !IsWindow(handle); }, 30000);
    observer.join();
    ASSERT_TRUE(closed);
    EXPECT_TRUE(answered);
    EXPECT_TRUE(painted);
    EXPECT_TRUE(hostStillRunning);
    EXPECT_TRUE(ReadWholeFile(target) == newProgram);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
}

// At the prefix's DPI (96), and in child runs at 144 and 192. A DPI change (WM_DPICHANGED, never
// sent by Wine) re-scales in place, keeping texts and values; going back gives the same pixels.
TEST_F(UpdateWindowTest, LaysTheSkinOutAtTheDisplayDpiAndFollowsDpiChanges) {
    HttpResponse held = HttpResponse::Ok(newProgram);
    held.holdBody = true;
    server.Route("/held.exe", held);
    ASSERT_NE(Open("/held.exe"), nullptr);
    const int dpi = RequestedTestDpi() ? RequestedTestDpi() : 96;
    EXPECT_EQ(WindowDpi(handle), dpi);
    const std::vector<RECT> before = ExpectSkinAtDpi(handle, window->Host(), dpi);
    auto* bar = static_cast<CProgressUI*>(Control(L"down_progress"));
    ASSERT_NE(bar, nullptr);
    // The fill spans the whole scaled bar inside its border.
    SendMessageW(handle, WM_DOWNLOAD_PROGRESS, 0, 0);
    std::vector<uint32_t> empty = Picture(handle);
    SendMessageW(handle, WM_DOWNLOAD_PROGRESS, 100, 0);
    RECT client;
    GetClientRect(handle, &client);
    const RECT& barRect = bar->Pos();
    EXPECT_NEAR(ChangedColumns(empty, Picture(handle), client.right, barRect),
                barRect.right - barRect.left - 2 * dpi::ScaleLength(1, dpi), 1);
    SendMessageW(handle, WM_DOWNLOAD_PROGRESS, 42, 0);
    std::vector<RECT> after;
    for (int next : {dpi == 144 ? 192 : 144, dpi}) {
        RECT suggested = {0, 0, dpi::ScaleLength(300, next), dpi::ScaleLength(160, next)};
        SendMessageW(handle, kDpiChangedMessage, MAKEWPARAM(next, next), reinterpret_cast<LPARAM>(&suggested));
        after = ExpectSkinAtDpi(handle, window->Host(), next);
        EXPECT_EQ(bar->Value(), 42);
        EXPECT_EQ(Control(L"down_progress_percent")->Text(), L"42%");
        EXPECT_EQ(Control(L"down_current_name")->Text(), L"host_app.exe");
    }
    for (size_t i = 0; i < after.size() && i < before.size(); ++i) EXPECT_TRUE(EqualRect(&after[i], &before[i])) << i;
}

TEST(DisplayScale, UpdateWindowAt144And192Dpi) {
    if (RequestedTestDpi()) GTEST_SKIP() << "a child run";
    for (int dpi : {144, 192}) {
        EXPECT_EQ(RunSelfAtDpi(dpi, L"--gtest_filter=UpdateWindowTest.LaysTheSkinOutAtTheDisplayDpi*"), 0) << dpi;
    }
}

// In English every text of the window, its tip and its balloon come from the English table, and
// each fits where the skin puts the Chinese one, the installation's step titles too.
TEST_F(UpdateWindowTest, SpeaksEnglishInTextsThatFitTheSkin) {
    struct EnglishForThisCase {
        EnglishForThisCase() { SetLanguage(Language::English); }
        ~EnglishForThisCase() { SetLanguage(Language::Chinese); }
    } english;
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    server.Route("/missing.exe", HttpResponse::Status(404, "not here"));
    ASSERT_NE(Open("/missing.exe"), nullptr);
    UpdateWindow(handle);  // laid out by its first paint
    const int dpi = RequestedTestDpi() ? RequestedTestDpi() : 96;
    const std::pair<const wchar_t*, TextId> kTexts[] = {{L"down_dlg_title", TextId::DownloadTitle},
                                                        {L"down_current_caption", TextId::CurrentFileCaption},
                                                        {L"down_progress_caption", TextId::ProgressCaption},
                                                        {L"down_taskbar_button", TextId::HideToTray}};
    for (const auto& [name, id] : kTexts) {
        ASSERT_NE(Control(name), nullptr) << name;
        EXPECT_EQ(Control(name)->AccessibleName(), UiText(id, Language::English)) << name;
        EXPECT_TRUE(TextFits(window->Host(), name, dpi)) << name;
    }
    for (TextId step : {TextId::StepPreparing, TextId::StepBackingUp, TextId::StepClosing, TextId::StepReplacing,
                        TextId::StepStarting, TextId::StepFinishing}) {
        EXPECT_TRUE(TextFits(window->Host(), L"down_dlg_title", dpi, UiText(step))) << UiText(step);
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(handle); }, 20000));
    EXPECT_STREQ(window->TrayData().szTip, L"Updating the program");
    EXPECT_STREQ(window->TrayData().szInfo, L"Download error, update failed!");
}

TEST(DisplayScale, EnglishUpdateWindowAt144Dpi) {
    if (RequestedTestDpi()) GTEST_SKIP() << "a child run";
    EXPECT_EQ(RunSelfAtDpi(144, L"--gtest_filter=UpdateWindowTest.SpeaksEnglish*"), 0);
}
