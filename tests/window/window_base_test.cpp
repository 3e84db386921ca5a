// The skinned window base: skin sources, the failure box, the borderless frame, system commands
// and the standard caption buttons.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"
#include "tests/support/zip_builder.h"
#include "tests/window/skin_window.h"

namespace {

std::string ResourceText(int id, const wchar_t* type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

BOOL CALLBACK FindChildText(HWND child, LPARAM text) {
    wchar_t buffer[128] = {};
    GetWindowTextW(child, buffer, 128);
    return wcscmp(buffer, reinterpret_cast<const wchar_t*>(text)) != 0;  // FALSE stops: found
}

bool HasChildText(HWND window, const wchar_t* text) {
    return !EnumChildWindows(window, FindChildText, reinterpret_cast<LPARAM>(text));
}

LRESULT HitTest(HWND window, int x, int y) {
    RECT rc;
    GetWindowRect(window, &rc);
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y));
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

class WindowBaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr)); }
};

}  // namespace

TEST_F(WindowBaseTest, EverySkinSourceBuildsItsTreeAndDropsTheCaption) {
    const std::string skin = ResourceText(201, L"xml");
    ASSERT_FALSE(skin.empty());
    const std::wstring folder = ProgramFolder() + SkinWindow::kSkinFolder;
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(folder + L"loose.xml", skin));
    const std::vector<uint8_t> zip = BuildZip("packed.xml", skin);
    ASSERT_TRUE(WriteWholeFile(folder + L"skins.zip", std::string(zip.begin(), zip.end())));

    struct Case {
        int source;
        const wchar_t* file;
        const wchar_t* resource;
        const wchar_t* archive;
        const wchar_t* rootName;
        SIZE size;
    };
    // Loose files first: once an archive is chosen, skin files are read from the archive.
    const Case cases[] = {
        {SkinFromFile, L"loose.xml", L"", L"", L"root", {200, 120}},
        {SkinFromXmlResource, L"201", L"", L"", L"root", {200, 120}},
        {SkinFromArchiveFile, L"packed.xml", L"", L"skins.zip", L"root", {200, 120}},
        {SkinFromArchiveResource, L"downdlg.xml", MAKEINTRESOURCEW(129), L"", L"downloadbg", {300, 160}},
    };
    for (const Case& c : cases) {
        SkinWindow window(c.source, c.file, c.resource, c.archive);
        const HWND handle = window.CreateWindowed();
        ASSERT_NE(handle, nullptr) << c.source;
        CControlUI* root = window.Host().Root();
        ASSERT_NE(root, nullptr) << c.source;
        EXPECT_EQ(root->Name(), c.rootName) << c.source;
        EXPECT_EQ(window.skinBuiltCalls, 1) << c.source;
        const LONG style = GetWindowLongW(handle, GWL_STYLE);
        EXPECT_EQ(style & WS_CAPTION, 0) << c.source;
        EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN) << c.source;
        RECT rc;
        GetWindowRect(handle, &rc);
        EXPECT_EQ(rc.right - rc.left, c.size.cx) << c.source;
        EXPECT_EQ(rc.bottom - rc.top, c.size.cy) << c.source;
    }
    DeleteFileW((folder + L"loose.xml").c_str());
    DeleteFileW((folder + L"skins.zip").c_str());
}

TEST_F(WindowBaseTest, MissingArchiveResourceLeavesAnEmptyWindowAndNoMessage) {
    SkinWindow window(SkinFromArchiveResource, L"downdlg.xml", MAKEINTRESOURCEW(999));
    const HWND handle = window.CreateWindowed();
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(window.Host().Root(), nullptr);
    EXPECT_EQ(window.skinBuiltCalls, 0);
    EXPECT_EQ(FindWindowW(L"#32770", WindowImplBase::kSkinFailureCaption), nullptr);
}

// Run only as the child of the next test: the failure box ends this process.
TEST(WindowBaseChild, DISABLED_SkinWithoutControls) {
    CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr));
    SkinWindow window(SkinFromXmlResource, L"202");
    window.CreateWindowed();
    ADD_FAILURE() << "the process went on after a skin without controls";
}

TEST_F(WindowBaseTest, SkinWithoutControlsShowsTheFailureBoxThenExitsWithOne) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(ProgramFolder() + L"window_tests.exe",
                            L"--gtest_also_run_disabled_tests --gtest_filter=WindowBaseChild.*"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindWindowW(L"#32770", L"错误")) != nullptr; }, 20000));
    // The box may be found before its text is in place.
    EXPECT_TRUE(WaitUntil([&] { return HasChildText(box, L"加载资源文件失败"); }, 5000));
    EXPECT_TRUE(child.Running());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(child.Wait(20000), 1);
}

TEST_F(WindowBaseTest, HitTestingFindsSizeBordersAndTheCaptionOutsideClickableControls) {
    SkinWindow window(SkinFromXmlResource, L"201");
    const HWND handle = window.CreateWindowed();
    ASSERT_NE(handle, nullptr);
    window.LayOut();
    struct Case {
        int x, y;
        LRESULT hit;
    };
    const Case cases[] = {
        {1, 1, HTTOPLEFT},   {100, 2, HTTOP},        {198, 1, HTTOPRIGHT}, {1, 60, HTLEFT},
        {198, 60, HTRIGHT},  {1, 118, HTBOTTOMLEFT}, {100, 118, HTBOTTOM}, {198, 118, HTBOTTOMRIGHT},
        {20, 10, HTCAPTION},  // a plain control in the caption drags
        {60, 10, HTCLIENT},   // ButtonUI
        {100, 10, HTCLIENT},  // TextUI
        {140, 10, HTCLIENT},  // OptionUI
        {180, 10, HTCLIENT},  // "buttonui": class names compare without case
        {20, 40, HTCLIENT},   // below the caption
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitTest(handle, c.x, c.y), c.hit) << c.x << "," << c.y;
    }
}

TEST_F(WindowBaseTest, RegionRoundsTheCornersAndTrackSizesComeFromSkinAndWorkArea) {
    SkinWindow window(SkinFromXmlResource, L"201");
    const HWND handle = window.CreateWindowed();
    ASSERT_NE(handle, nullptr);
    CGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(handle, region.Get()), ERROR);
    EXPECT_FALSE(PtInRegion(region.Get(), 0, 0));
    EXPECT_FALSE(PtInRegion(region.Get(), 199, 119));
    EXPECT_TRUE(PtInRegion(region.Get(), 100, 60));
    EXPECT_TRUE(PtInRegion(region.Get(), 199, 60));  // the last column still belongs to the window

    MINMAXINFO info = {};
    SendMessageW(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const RECT work = WorkAreaOf(handle);
    EXPECT_EQ(info.ptMinTrackSize.x, 120);
    EXPECT_EQ(info.ptMinTrackSize.y, 80);
    EXPECT_EQ(info.ptMaxTrackSize.x, work.right - work.left);
    EXPECT_EQ(info.ptMaxTrackSize.y, work.bottom - work.top);
}

TEST_F(WindowBaseTest, MaximisedWindowCoversTheWorkAreaWithoutSizeBordersAndSwapsTheButtons) {
    SkinWindow window(SkinFromXmlResource, L"201");
    const HWND handle = window.CreateWindowed();
    ASSERT_NE(handle, nullptr);
    CControlUI* maximize = window.Host().FindControlByName(L"maxbtn");
    CControlUI* restore = window.Host().FindControlByName(L"restorebtn");
    ASSERT_TRUE(maximize && restore);

    SendMessageW(handle, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(IsZoomed(handle));
    RECT rc;
    GetWindowRect(handle, &rc);
    const RECT work = WorkAreaOf(handle);
    EXPECT_TRUE(EqualRect(&rc, &work));
    EXPECT_FALSE(maximize->IsVisible());
    EXPECT_TRUE(restore->IsVisible());
    window.LayOut();
    EXPECT_EQ(HitTest(handle, 1, 1), HTCAPTION);

    SendMessageW(handle, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsZoomed(handle));
    EXPECT_TRUE(maximize->IsVisible());
    EXPECT_FALSE(restore->IsVisible());
}

TEST_F(WindowBaseTest, CloseButtonClickPostsCloseOnlyForItsExactName) {
    SkinWindow window(SkinFromXmlResource, L"201");
    const HWND handle = window.CreateWindowed();
    ASSERT_NE(handle, nullptr);
    ClassNamedControl wrongCase(L"ButtonUI");
    wrongCase.SetName(L"CloseBtn");
    struct Case {
        CControlUI* sender;
        bool closes;
    };
    const Case cases[] = {{&wrongCase, false}, {window.Host().FindControlByName(L"closebtn"), true}};
    for (const Case& c : cases) {
        NotifyMsg msg;
        msg.type = L"click";
        msg.sender = c.sender;
        EXPECT_TRUE(window.DispatchNotify(msg));
        MSG posted;
        const bool closed = PeekMessageW(&posted, handle, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
        EXPECT_EQ(closed, c.closes) << c.sender->Name().GetData();
        if (closed) {
            EXPECT_EQ(posted.wParam, 1u);
        }
    }
}

TEST_F(WindowBaseTest, EscapeAndReturnPassTheDefaultKeyFilterUnclaimed) {
    SkinWindow window(SkinFromXmlResource, L"201");
    ASSERT_NE(window.CreateWindowed(), nullptr);
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN), WPARAM('A')}) {
        bool handled = false;
        const LRESULT result = window.FilterMessage(WM_KEYDOWN, key, 0, handled);
        EXPECT_FALSE(handled) << key;
        EXPECT_EQ(result, key == VK_ESCAPE ? 1 : 0) << key;
        EXPECT_FALSE(window.Host().PreTranslate(WM_KEYDOWN, key, 0)) << key;
    }
}
