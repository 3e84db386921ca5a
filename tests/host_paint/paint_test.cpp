// Painting through a real window under Wine: one window for the cases, shown without activation
// on the test's own display (Wine keeps no update region for hidden windows and clips painting
// to the part on the screen). Pixels come from the off-screen bitmap or the layered DIB.

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
constexpr RECT kClient = {0, 0, kWidth, kHeight};
// Read back as 0xRRGGBB (0xAARRGGBB in the DIB), the reverse of a COLORREF.
constexpr DWORD kRedPixel = 0xFF0000;
constexpr DWORD kOpaqueRed = 0xFFFF0000;

// Fills its rectangle through GDI, which leaves alpha 0 behind, and records its paint rectangles.
class Probe : public CControlUI {
public:
    explicit Probe(COLORREF fill) : m_fill(fill) {}
    void SetFillQuietly(COLORREF fill) { m_fill = fill; }  // no repaint request
    void Paint(HDC dc, const RECT& dirty) override {
        painted.push_back(dirty);
        std::function<void()> once = std::move(duringPaint);
        duringPaint = nullptr;
        if (once) {
            once();
        }
        CControlUI::Paint(dc, dirty);
    }
    void PaintText(HDC dc) override { Fill(dc, m_fill); }
    void PaintAfter(HDC dc, const RECT& /*dirty*/) override { Fill(dc, RGB(0, 0, 255)); }
    RECT LastPainted() const { return painted.empty() ? RECT{0, 0, 0, 0} : painted.back(); }

    std::vector<RECT> painted;
    std::function<void()> duringPaint;

private:
    void Fill(HDC dc, COLORREF color) {
        CGdiObject<HBRUSH> brush(CreateSolidBrush(color));
        FillRect(dc, &m_rcItem, brush.Get());
    }
    COLORREF m_fill;
};

// Two probes side by side: a (red) and b (pure black), 100 x 100 each at 200 x 100.
struct Tree {
    CHorizontalLayoutUI* root;
    Probe* a;
    Probe* b;
};

Tree MakeTree() {
    Tree tree = {new CHorizontalLayoutUI, new Probe(RGB(255, 0, 0)), new Probe(RGB(0, 0, 0))};
    tree.root->Add(tree.a);
    tree.root->Add(tree.b);
    return tree;
}

// The senders of "windowinit" and where the sender's first child was at that moment.
class InitLog : public INotifyUI {
public:
    void HandleNotification(NotifyMsg& msg) override {
        if (msg.type == L"windowinit") {
            senders.push_back(msg.sender);
            firstChildPos.push_back(static_cast<CContainerUI*>(msg.sender)->ItemAt(0)->Pos());
        }
    }
    std::vector<CControlUI*> senders;
    std::vector<RECT> firstChildPos;
};

class HostPaintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_window = new TestWindow(kWidth, kHeight);
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    static void TearDownTestSuite() { delete s_window; }
    void SetUp() override {
        Host().SetLayeredPaint(false);
        Host().SetTransparency(-1);  // drops the layered style a case may have left
        Resize(kWidth, kHeight);
        s_window->Validate();
    }
    void TearDown() override {
        for (INotifyUI* listener : m_listeners) {
            Host().RemoveNotifyListener(listener);
        }
    }

    void Listen(INotifyUI* listener) {
        Host().AddNotifyListener(listener);
        m_listeners.push_back(listener);
    }
    static CWindowHostUI& Host() { return s_window->Host(); }
    static HWND Handle() { return s_window->Handle(); }
    static void Resize(int width, int height) {
        SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    static Tree Install() {
        Tree tree = MakeTree();
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
        CWindowDC screen;
        screen.Acquire(GetDesktopWindow());
        GetDIBits(screen.Get(), Host().OffscreenBitmap(), 0, kHeight, pixels.data(), &info, DIB_RGB_COLORS);
        return pixels[y * kWidth + x] & 0xFFFFFF;
    }
    static DWORD LayerPixel(int x, int y) {
        GdiFlush();
        return Host().LayerBits()[y * Host().LayerSize().cx + x];
    }

    static TestWindow* s_window;
    std::vector<INotifyUI*> m_listeners;
};

TestWindow* HostPaintTest::s_window = nullptr;

TEST_F(HostPaintTest, WindowInitFollowsTheFirstLayoutOncePerRoot) {
    InitLog log;
    Listen(&log);
    Tree first = Install();
    Paint();
    Paint();
    first.a->SetFixedWidth(40);  // laid out again before the next paint, without "windowinit"
    Paint();
    EXPECT_EQ(0x000000u, OffscreenPixel(60, 50));
    Tree second = Install();
    Paint();
    EXPECT_EQ((std::vector<CControlUI*>{first.root, second.root}), log.senders);
    EXPECT_EQ((std::vector<RECT>{{0, 0, 100, 100}, {0, 0, 100, 100}}), log.firstChildPos);
}

TEST_F(HostPaintTest, NothingToUpdateOrNoClientAreaPaintsNothing) {
    Tree tree = Install();
    Paint();
    tree.a->painted.clear();
    s_window->Validate();
    LRESULT result = 0;
    EXPECT_TRUE(Host().ProcessMessage(WM_PAINT, 0, 0, result));
    EXPECT_TRUE(tree.a->painted.empty());

    InitLog log;
    Listen(&log);
    Resize(0, 0);
    tree = Install();
    TestCanvas canvas(kWidth, kHeight);
    SendMessageW(Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    EXPECT_TRUE(log.senders.empty());
    Resize(kWidth, kHeight);  // the first size brings the layout and "windowinit"
    Paint();
    EXPECT_EQ(1u, log.senders.size());
    EXPECT_EQ(kClient, tree.root->Pos());
}

TEST_F(HostPaintTest, OnlyTheDirtyRectangleIsRepaintedAndAfterPaintComesLast) {
    Tree tree = Install();
    Paint();
    EXPECT_EQ(kRedPixel, OffscreenPixel(50, 50));
    tree.a->SetFillQuietly(RGB(0, 255, 0));
    tree.b->SetFillQuietly(RGB(0, 255, 0));
    RECT left = {0, 0, 100, 100};
    Paint(&left);
    EXPECT_EQ(left, tree.a->LastPainted());
    EXPECT_EQ(0x00FF00u, OffscreenPixel(50, 50));
    EXPECT_EQ(0x000000u, OffscreenPixel(150, 50));  // outside the dirty rectangle: kept
    Host().AddAfterPaint(tree.b);
    Paint();
    EXPECT_EQ(0x0000FFu, OffscreenPixel(150, 50));  // the after-paint blue over the tree
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
        EXPECT_EQ(layered ? tree.a->Pos() : kClient, s_window->UpdateRect());
        s_window->Validate();
    }
}

TEST_F(HostPaintTest, LayeredDibIsAlphaRepairedFollowsTheClientSizeAndIsRebuiltOnRestore) {
    Host().SetLayeredPaint(true);
    Tree tree = Install();
    tree.b->SetFixedWidth(50);  // leaves 50 pixels at the right that nothing paints
    Paint();
    EXPECT_NE(0, GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_NE(nullptr, Host().LayerBits());
    EXPECT_EQ(kOpaqueRed, LayerPixel(10, 10));    // drawn by GDI: made opaque
    EXPECT_EQ(0x00000000u, LayerPixel(170, 10));  // GDI's pure black stays transparent
    EXPECT_EQ(0x00000000u, LayerPixel(190, 10));  // drawn by nothing

    Resize(kWidth + 40, kHeight + 20);
    Paint();
    EXPECT_EQ(kWidth + 40, Host().LayerSize().cx);
    EXPECT_EQ(kHeight + 20, Host().LayerSize().cy);
    EXPECT_EQ(kOpaqueRed, LayerPixel(10, 10));  // a new DIB is painted whole

    LRESULT result = 0;
    EXPECT_FALSE(Host().ProcessMessage(WM_SYSCOMMAND, SC_RESTORE, 0, result));
    RECT corner = {195, 0, 200, 10};  // inside b however the root follows the new size
    for (RECT expected : {RECT{0, 0, kWidth + 40, kHeight + 20}, RECT{0, 0, 0, 0}}) {
        tree.a->painted.clear();
        Paint(&corner);  // restored: all of it once; then only the corner, which misses a
        EXPECT_EQ(expected, tree.a->LastPainted());
    }
}

TEST_F(HostPaintTest, TransparencyOutsideTheByteRangeRemovesTheLayeredStyle) {
    for (int alpha : {128, 300, 0, -1}) {
        SCOPED_TRACE(alpha);
        Host().SetTransparency(alpha);
        BYTE applied = 0;
        bool layered = (GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(alpha >= 0 && alpha <= 255, layered);
        if (layered && GetLayeredWindowAttributes(Handle(), nullptr, &applied, nullptr)) {
            EXPECT_EQ(alpha, applied);
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
    tree.root->Remove(tree.a);  // the owner dies: its caret is never painted again
    Paint();
    EXPECT_NE(0x000001u, OffscreenPixel(21, 35));
    Host().ShowDrawnCaret(false);
    DestroyCaret();
}

TEST_F(HostPaintTest, LayoutPassHandsTheWindowOneRectangleWhenItEnds) {
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
    InitLog log;
    Listen(&log);
    Tree first = Install();
    Tree second = {};
    class Replacer : public INotifyUI {
    public:
        explicit Replacer(Tree& tree) : m_tree(tree) {}
        void HandleNotification(NotifyMsg& msg) override {
            if (msg.type == L"windowinit" && !m_tree.root) {
                m_tree = MakeTree();
                msg.sender->Host()->AttachRoot(m_tree.root);
            }
        }

    private:
        Tree& m_tree;
    } replacer(second);
    Listen(&replacer);
    Paint();
    UpdateWindow(Handle());  // the new root asked for a layout: one more paint follows
    s_window->Pump();        // the old tree goes
    EXPECT_EQ((std::vector<CControlUI*>{first.root, second.root}), log.senders);
    EXPECT_EQ((RECT{0, 0, 100, 100}), log.firstChildPos.back());
}

// A host in storage that is poisoned when its window ends, as the window object holding it
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
            DestroyWindow(msg.sender->Host()->WindowHandle());
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

TEST(LayerPixelsTest, AlphaRepairMakesOnlyWhatGdiDrewOpaqueAndStaysInsideTheRows) {
    // before -> after: untouched, GDI's nearly black default text colour, GDI red, drawn with alpha.
    const DWORD cases[][2] = {{0, 0}, {0x1, 0xFF000001}, {0xFF0000, 0xFFFF0000}, {0x80401020, 0x80401020}};
    for (const auto& c : cases) {
        DWORD pixel = c[0];
        CGdiPainter::RestoreAlphaRect(&pixel, 1, RECT{0, 0, 1, 1});
        EXPECT_EQ(c[1], pixel);
    }
    // Two rows of three pixels between guards; the rectangles reach past both sides.
    std::vector<DWORD> buffer = {7, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 7};
    CGdiPainter::RestoreAlphaRect(buffer.data() + 1, 3, RECT{-5, -1, 9, 2});
    EXPECT_EQ(std::vector<DWORD>(6, 0xFFFF0000), std::vector<DWORD>(buffer.begin() + 1, buffer.end() - 1));
    CGdiPainter::ClearAlphaRect(buffer.data() + 1, 3, RECT{-5, 0, 9, 2});
    EXPECT_EQ((std::vector<DWORD>{7, 0, 0, 0, 0, 0, 0, 7}), buffer);
}

}  // namespace
