// Painting through a real window under Wine: one window for every case, shown without
// activation (Wine keeps no update region for hidden windows). Pixels are read from the host's
// off-screen bitmap or from the layered window's DIB.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <new>
#include <vector>

#include "tests/controls/test_window.h"
#include "ui/controls/layouts.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 100;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
// Pixels read back are 0xRRGGBB (0xAARRGGBB in the DIB), the reverse of a COLORREF.
constexpr DWORD kRedPixel = 0xFF0000;
constexpr DWORD kOpaqueRed = 0xFFFF0000;  // kRed in the DIB after the alpha repair

// Fills its rectangle with a GDI brush, which leaves alpha 0 behind, and records what it was
// asked to paint.
class Probe : public CControlUI {
public:
    explicit Probe(COLORREF fill) : m_fill(fill) {}
    // Changes the colour without asking for a repaint.
    void SetFillQuietly(COLORREF fill) { m_fill = fill; }
    void Paint(HDC dc, const RECT& dirty) override {
        painted.push_back(dirty);
        if (duringPaint) {
            std::function<void()> once = std::move(duringPaint);
            duringPaint = nullptr;
            once();
        }
        CControlUI::Paint(dc, dirty);
    }
    void PaintText(HDC dc) override {
        CGdiObject<HBRUSH> brush(CreateSolidBrush(m_fill));
        FillRect(dc, &m_rcItem, brush.Get());
    }
    void PaintAfter(HDC dc, const RECT& /*dirty*/) override {
        CGdiObject<HBRUSH> brush(CreateSolidBrush(afterFill));
        FillRect(dc, &m_rcItem, brush.Get());
    }

    RECT LastPainted() const { return painted.empty() ? RECT{0, 0, 0, 0} : painted.back(); }

    std::vector<RECT> painted;
    std::function<void()> duringPaint;
    COLORREF afterFill = RGB(0, 0, 255);

private:
    COLORREF m_fill;
};

// A root with two probes side by side: a (red) and b (black), 100 x 100 each at 200 x 100.
struct Tree {
    CHorizontalLayoutUI* root;
    Probe* a;
    Probe* b;
};

// Adds a listener for the scope of a test; the window and its host outlive every test.
class ScopedListener {
public:
    ScopedListener(CWindowHostUI& host, INotifyUI* listener) : m_host(host), m_listener(listener) {
        host.AddNotifyListener(listener);
    }
    ~ScopedListener() { m_host.RemoveNotifyListener(m_listener); }
    ScopedListener(const ScopedListener&) = delete;
    ScopedListener& operator=(const ScopedListener&) = delete;

private:
    CWindowHostUI& m_host;
    INotifyUI* m_listener;
};

class HostPaintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_window = new TestWindow(kWidth, kHeight);
        // Wine clips BeginPaint to the part of the window on the screen, so a window off-screen
        // would be asked to paint nothing; the tests run on a display of their own.
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    static void TearDownTestSuite() {
        delete s_window;
        s_window = nullptr;
    }
    void SetUp() override {
        Host().SetLayeredPaint(false);
        Host().SetTransparency(-1);  // drops the layered style a case may have left
        SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        s_window->Validate();
    }

    static CWindowHostUI& Host() { return s_window->Host(); }
    static HWND Handle() { return s_window->Handle(); }

    static Tree Install() {
        Tree tree = {new CHorizontalLayoutUI, new Probe(kRed), new Probe(kBlack)};
        tree.root->Add(tree.a);
        tree.root->Add(tree.b);
        Host().AttachRoot(tree.root);
        s_window->Pump();  // deletes the previous case's tree
        return tree;
    }

    // Invalidates (the whole window by default) and has the window paint at once.
    static void Paint(const RECT* area = nullptr) {
        InvalidateRect(Handle(), area, FALSE);
        UpdateWindow(Handle());
    }

    static DWORD OffscreenPixel(int x, int y) {
        std::vector<DWORD> pixels(kWidth * kHeight);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, Host().OffscreenBitmap(), 0, kHeight, pixels.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        return pixels[y * kWidth + x] & 0xFFFFFF;
    }

    static DWORD LayerPixel(int x, int y) {
        GdiFlush();
        return Host().LayerBits()[y * Host().LayerSize().cx + x];
    }

    static TestWindow* s_window;
};

TestWindow* HostPaintTest::s_window = nullptr;

// What a "windowinit" listener saw: the sender and where the first probe was at that moment.
class InitLog : public INotifyUI {
public:
    explicit InitLog(Probe*& probe) : m_probe(probe) {}
    void HandleNotification(NotifyMsg& msg) override {
        if (msg.type == L"windowinit") {
            senders.push_back(msg.sender);
            probePos.push_back(m_probe->Pos());
        }
    }
    std::vector<CControlUI*> senders;
    std::vector<RECT> probePos;

private:
    Probe*& m_probe;
};

TEST_F(HostPaintTest, WindowInitFollowsTheFirstLayoutOncePerRoot) {
    Probe* watched = nullptr;
    InitLog log(watched);
    ScopedListener listening(Host(), &log);
    Tree first = Install();
    watched = first.a;
    Paint();
    Paint();
    ASSERT_EQ(1u, log.senders.size());
    EXPECT_EQ(first.root, log.senders[0]);
    EXPECT_EQ((RECT{0, 0, 100, 100}), log.probePos[0]);

    // A size change lays out again before the next paint, without another "windowinit".
    first.a->SetFixedWidth(40);
    Paint();
    EXPECT_EQ(0x000000u, OffscreenPixel(60, 50));  // b, painted at its new place
    EXPECT_EQ(1u, log.senders.size());

    Tree second = Install();
    watched = second.a;
    Paint();
    ASSERT_EQ(2u, log.senders.size());
    EXPECT_EQ(second.root, log.senders[1]);
}

TEST_F(HostPaintTest, NothingToUpdateOrNoClientAreaPaintsNothing) {
    Tree tree = Install();
    Paint();
    tree.a->painted.clear();
    s_window->Validate();
    LRESULT result = 0;
    EXPECT_TRUE(Host().ProcessMessage(WM_PAINT, 0, 0, result));
    EXPECT_TRUE(tree.a->painted.empty());

    // A window of 0 x 0 neither lays out nor sends "windowinit" until it gets a size.
    Probe* watched = nullptr;
    InitLog log(watched);
    ScopedListener listening(Host(), &log);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    tree = Install();
    watched = tree.a;
    TestCanvas canvas(kWidth, kHeight);
    SendMessageW(Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    EXPECT_TRUE(log.senders.empty());
    EXPECT_TRUE(IsEmpty(tree.root->Pos()));
    SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Paint();
    EXPECT_EQ(1u, log.senders.size());
    EXPECT_EQ((RECT{0, 0, kWidth, kHeight}), tree.root->Pos());
}

TEST_F(HostPaintTest, OnlyTheDirtyRectangleIsRepainted) {
    Tree tree = Install();
    Paint();
    EXPECT_EQ(kRedPixel, OffscreenPixel(50, 50));
    tree.a->SetFillQuietly(RGB(0, 255, 0));
    tree.b->SetFillQuietly(RGB(0, 255, 0));
    RECT left = {0, 0, 100, 100};
    Paint(&left);
    EXPECT_EQ(0x00FF00u, OffscreenPixel(50, 50));
    EXPECT_EQ(0x000000u, OffscreenPixel(150, 50));  // b was not repainted: the bitmap kept it
    EXPECT_EQ(left, tree.a->LastPainted());
}

TEST_F(HostPaintTest, AfterPaintControlsPaintOverTheTree) {
    Tree tree = Install();
    Host().AddAfterPaint(tree.b);
    Paint();
    EXPECT_EQ(0x0000FFu, OffscreenPixel(150, 50));  // the after-paint blue over b's black
    EXPECT_EQ(kRedPixel, OffscreenPixel(50, 50));
}

TEST_F(HostPaintTest, LayoutAskedForWhilePaintingBringsOneMoreFullPaintOnlyInTheNormalPath) {
    for (bool layered : {false, true}) {
        SCOPED_TRACE(layered);
        Host().SetLayeredPaint(layered);
        Tree tree = Install();
        Paint();
        s_window->Validate();
        tree.a->duringPaint = [&tree] { tree.a->MarkDirty(); };
        Paint(&tree.a->Pos());
        RECT expected = layered ? tree.a->Pos() : RECT{0, 0, kWidth, kHeight};
        EXPECT_EQ(expected, s_window->UpdateRect());
        s_window->Validate();
    }
}

TEST_F(HostPaintTest, LayeredWindowGetsItsAlphaRepaired) {
    Host().SetLayeredPaint(true);
    Tree tree = Install();
    tree.b->SetFixedWidth(50);  // leaves 50 pixels at the right that nothing paints
    Paint();
    EXPECT_NE(0, GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_NE(nullptr, Host().LayerBits());
    EXPECT_EQ(kOpaqueRed, LayerPixel(10, 10));    // drawn by GDI: made opaque
    EXPECT_EQ(0x00000000u, LayerPixel(170, 10));  // drawn in pure black by GDI: stays transparent
    EXPECT_EQ(0x00000000u, LayerPixel(190, 10));  // drawn by nothing
}

TEST_F(HostPaintTest, LayeredDibFollowsTheClientSize) {
    Host().SetLayeredPaint(true);
    Install();
    Paint();
    SetWindowPos(Handle(), nullptr, 0, 0, kWidth + 40, kHeight + 20,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Paint();
    EXPECT_EQ(kWidth + 40, Host().LayerSize().cx);
    EXPECT_EQ(kHeight + 20, Host().LayerSize().cy);
    EXPECT_EQ(kOpaqueRed, LayerPixel(10, 10));  // the new DIB is painted whole
}

TEST_F(HostPaintTest, RestoringALayeredWindowRepaintsAllOfItOnce) {
    Host().SetLayeredPaint(true);
    Tree tree = Install();
    Paint();
    LRESULT result = 0;
    EXPECT_FALSE(Host().ProcessMessage(WM_SYSCOMMAND, SC_RESTORE, 0, result));
    RECT corner = {150, 0, 160, 10};
    Paint(&corner);
    EXPECT_EQ((RECT{0, 0, kWidth, kHeight}), tree.a->LastPainted());
    tree.a->painted.clear();
    Paint(&corner);
    EXPECT_TRUE(tree.a->painted.empty());
}

TEST_F(HostPaintTest, TransparencyOutsideTheByteRangeRemovesTheLayeredStyle) {
    struct Case {
        int alpha;
        bool layered;
    };
    for (Case c : {Case{128, true}, Case{300, false}, Case{0, true}, Case{-1, false}}) {
        SCOPED_TRACE(c.alpha);
        Host().SetTransparency(c.alpha);
        EXPECT_EQ(c.layered, (GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0);
        BYTE alpha = 0;
        DWORD flags = 0;
        if (c.layered && GetLayeredWindowAttributes(Handle(), nullptr, &alpha, &flags)) {
            EXPECT_EQ(c.alpha, alpha);
        }
    }
}

TEST_F(HostPaintTest, DrawnCaretBlinksInItsOwnersFocusAndDiesWithIt) {
    Tree tree = Install();
    Paint();
    SetFocus(Handle());
    Host().SetFocusControl(tree.a);
    ASSERT_TRUE(CreateCaret(Handle(), nullptr, 2, 10));
    Host().SetDrawnCaretSize(2, 10);
    ASSERT_TRUE(Host().MoveDrawnCaret(tree.a, 20, 30));
    EXPECT_TRUE(Host().ShowDrawnCaret(true));
    Paint();
    EXPECT_EQ(0x000001u, OffscreenPixel(21, 35));  // the default text colour
    EXPECT_EQ(kRedPixel, OffscreenPixel(22, 35));

    LRESULT result = 0;
    Host().ProcessMessage(WM_TIMER, CWindowHostUI::kCaretTimerId, 0, result);  // blink: hidden
    UpdateWindow(Handle());
    EXPECT_EQ(kRedPixel, OffscreenPixel(21, 35));
    Host().ProcessMessage(WM_TIMER, CWindowHostUI::kCaretTimerId, 0, result);  // shown again
    tree.root->SetDelayedDestroy(false);
    tree.root->Remove(tree.a);  // the owner dies: its caret must never be painted again
    Paint();
    EXPECT_NE(0x000001u, OffscreenPixel(21, 35));
    Host().ShowDrawnCaret(false);
    DestroyCaret();
}

TEST_F(HostPaintTest, TooltipShowsTheControlsTextAndSetsTheHoverTime) {
    Tree tree = Install();
    Paint();
    EXPECT_FALSE(Host().ShowToolTip(tree.a));
    tree.a->SetToolTip(L"first line<n>second");
    ASSERT_TRUE(Host().ShowToolTip(tree.a));
    HWND tip = Host().ToolTipWindow();
    ASSERT_NE(nullptr, tip);
    wchar_t text[64] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = Handle();
    info.uId = reinterpret_cast<UINT_PTR>(Handle());
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(L"first line\r\nsecond", text);
    EXPECT_EQ(static_cast<DWORD>(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0)),
              Host().ToolTipHoverTime());
    Host().HideToolTip();
}

TEST_F(HostPaintTest, LayoutPassHandsTheWindowOneRectangleWhenItEnds) {
    Install();
    Paint();
    {
        CWindowHostUI::LayoutPass outer(&Host());
        {
            CWindowHostUI::LayoutPass inner(&Host());
            Host().InvalidateArea(RECT{10, 10, 20, 20});
        }
        Host().InvalidateArea(RECT{150, 60, 160, 70});
        EXPECT_TRUE(IsEmpty(s_window->UpdateRect()));
    }
    EXPECT_EQ((RECT{10, 10, 160, 70}), s_window->UpdateRect());
}

TEST_F(HostPaintTest, WindowInitListenerMayReplaceTheRoot) {
    Probe* watched = nullptr;
    InitLog log(watched);
    ScopedListener listening(Host(), &log);
    Tree first = Install();
    Tree second = {};
    class Replacer : public INotifyUI {
    public:
        explicit Replacer(Tree& tree) : m_tree(tree) {}
        void HandleNotification(NotifyMsg& msg) override {
            if (msg.type == L"windowinit" && !m_tree.root) {
                m_tree = {new CHorizontalLayoutUI, new Probe(kRed), new Probe(kBlack)};
                m_tree.root->Add(m_tree.a);
                m_tree.root->Add(m_tree.b);
                msg.sender->Host()->AttachRoot(m_tree.root);
            }
        }

    private:
        Tree& m_tree;
    } replacer(second);
    ScopedListener replacing(Host(), &replacer);
    watched = first.a;
    Paint();
    watched = second.a;
    UpdateWindow(Handle());  // the new root asked for a layout: one more paint follows
    s_window->Pump();        // the old tree goes
    ASSERT_EQ(2u, log.senders.size());
    EXPECT_EQ(first.root, log.senders[0]);
    EXPECT_EQ(second.root, log.senders[1]);
    EXPECT_EQ((RECT{0, 0, 100, 100}), log.probePos[1]);
}

// A host in storage that is poisoned when its window ends, as the window object that holds it
// deletes itself then: code still writing to the host afterwards shows in the bytes.
struct PoisonedHost {
    static constexpr unsigned char kPoison = 0x5A;
    alignas(CWindowHostUI) unsigned char bytes[sizeof(CWindowHostUI)];
    CWindowHostUI* host = nullptr;

    bool HoldsOnlyPoison() const {
        return std::all_of(std::begin(bytes), std::end(bytes), [](unsigned char b) { return b == kPoison; });
    }
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<PoisonedHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        LRESULT result = 0;
        if (self && self->host && message == WM_NCDESTROY) {
            self->host->~CWindowHostUI();
            std::fill(std::begin(self->bytes), std::end(self->bytes), kPoison);
            self->host = nullptr;
        } else if (self && self->host && self->host->ProcessMessage(message, wParam, lParam, result)) {
            return result;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

TEST(HostPaintEndTest, WindowClosedByTheWindowInitListenerIsNotTouchedAgain) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &PoisonedHost::Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HostPaintEndTest";
    RegisterClassW(&wc);
    class Closer : public INotifyUI {
    public:
        void HandleNotification(NotifyMsg& msg) override {
            if (msg.type == L"windowinit") {
                DestroyWindow(msg.sender->Host()->WindowHandle());
            }
        }
    } closer;
    for (bool layered : {false, true}) {
        SCOPED_TRACE(layered);
        PoisonedHost storage;
        HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0,
                                      0, 50, 50, nullptr, nullptr, wc.hInstance, nullptr);
        storage.host = new (storage.bytes) CWindowHostUI;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&storage));
        ShowWindow(window, SW_SHOWNOACTIVATE);
        storage.host->AttachWindow(window);
        storage.host->SetLayeredPaint(layered);
        storage.host->AddNotifyListener(&closer);
        storage.host->AttachRoot(new CControlUI);
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(storage.HoldsOnlyPoison());
    }
}

TEST(LayerPixelsTest, AlphaRepairMakesOnlyWhatGdiDrewOpaque) {
    struct Case {
        DWORD before;
        DWORD after;
    };
    const Case cases[] = {
        {0x00000000, 0x00000000},  // untouched
        {0x00000001, 0xFF000001},  // GDI's nearly black default text colour
        {0x00FF0000, 0xFFFF0000},  // GDI red
        {0x80401020, 0x80401020},  // drawn with alpha: kept
    };
    for (const Case& c : cases) {
        DWORD pixel = c.before;
        CGdiPainter::RestoreAlphaRect(&pixel, 1, RECT{0, 0, 1, 1});
        EXPECT_EQ(c.after, pixel);
    }
}

TEST(LayerPixelsTest, RectanglesReachingOutOfTheRowsTouchNothingOutside) {
    // Two rows of three pixels inside guards; the rectangle reaches past both sides.
    DWORD buffer[8] = {7, 0x00FF0000, 0x00FF0000, 0x00FF0000, 0x00FF0000, 0x00FF0000, 0x00FF0000, 7};
    CGdiPainter::RestoreAlphaRect(buffer + 1, 3, RECT{-5, -1, 9, 2});
    for (int i = 1; i < 7; ++i) {
        EXPECT_EQ(0xFFFF0000u, buffer[i]);
    }
    CGdiPainter::ClearAlphaRect(buffer + 1, 3, RECT{-5, 0, 9, 2});
    EXPECT_EQ((std::vector<DWORD>{7, 0, 0, 0, 0, 0, 0, 7}), std::vector<DWORD>(buffer, buffer + 8));
}

}  // namespace
