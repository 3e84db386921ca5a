// CWindowHostUI: layered windows. With "bktrans" the tree is painted into a 32-bit DIB whose
// alpha is repaired after GDI drew into it, and the whole DIB is pushed to the screen with
// UpdateLayeredWindow, so the window can have transparent and translucent parts. Whole-window
// transparency ("alpha") is a separate, simpler mechanism.

#include "ui/controls/control.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"

namespace {

using UpdateLayeredWindowProc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                              DWORD);
using SetLayeredWindowAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Looked up at run time, as systems without layered windows lack them.
template <typename Proc>
Proc User32Entry(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"User32.dll");
    FARPROC entry = user32 ? GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(entry));
}

void SetLayeredStyle(HWND window, bool on) {
    LONG style = GetWindowLongW(window, GWL_EXSTYLE);
    bool has = (style & WS_EX_LAYERED) != 0;
    if (has != on) {
        SetWindowLongW(window, GWL_EXSTYLE, on ? style | WS_EX_LAYERED : style & ~WS_EX_LAYERED);
    }
}

// Ends the paint however the function leaves; touches nothing of the host.
class CPaintScope {
public:
    explicit CPaintScope(HWND window) : m_window(window) { BeginPaint(window, &m_ps); }
    ~CPaintScope() { EndPaint(m_window, &m_ps); }
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;

private:
    HWND m_window;
    PAINTSTRUCT m_ps;
};

}  // namespace

void CWindowHostUI::SetLayeredPaint(bool on) {
    if (m_layeredPaint == on) {
        return;
    }
    m_layeredPaint = on;
    m_layer.Reset();
    if (m_window) {
        InvalidateRect(m_window, nullptr, FALSE);
    }
}

void CWindowHostUI::PaintLayered(RECT update) {
    HWND window = m_window;
    SetLayeredStyle(window, true);
    RECT client;
    GetClientRect(window, &client);
    if (m_repaintAllOnce) {
        update = client;
        m_repaintAllOnce = false;
    }
    CPaintScope paint(window);
    if (!PrepareTree()) {
        return;
    }
    // The DIB's rows are as long as the client was wide when it was made: a DIB of another
    // size is made anew, and without one nothing is written at all.
    bool fresh =
        !m_layer.IsReady() || m_layer.Size().cx != client.right || m_layer.Size().cy != client.bottom;
    if (!m_layer.Ensure(m_paintDC.Get(), CPaintBuffer::Kind::TopDownDib, ClientSize())) {
        return;
    }
    // A new DIB holds nothing of earlier paints, so all of it is painted.
    if (fresh) {
        update = client;
    }
    if (!IntersectRect(&update, &update, &client)) {
        return;
    }
    HDC dc = m_layer.DC();
    int rowLength = m_layer.Size().cx;
    CGdiPainter::ClearAlphaRect(m_layer.Bits(), rowLength, update);
    CSelectScope select(dc, m_layer.Bitmap());
    PaintTree(dc, update);
    GdiFlush();
    CGdiPainter::RestoreAlphaRect(m_layer.Bits(), rowLength, update);
    PushLayer(dc);
}

void CWindowHostUI::PushLayer(HDC layerDC) {
    static const auto updateLayered = User32Entry<UpdateLayeredWindowProc>("UpdateLayeredWindow");
    if (!updateLayered) {
        return;
    }
    RECT windowRect;
    GetWindowRect(m_window, &windowRect);
    POINT destination = {windowRect.left, windowRect.top};
    SIZE size = m_layer.Size();
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    updateLayered(m_window, nullptr, &destination, &size, layerDC, &source, 0, &blend, ULW_ALPHA);
}

bool CWindowHostUI::OnSysCommand(WPARAM wParam, LPARAM /*lParam*/, LRESULT& /*result*/) {
    // A restored layered window must be rebuilt in full: nothing of it is on the screen.
    if ((wParam & 0xFFF0) == SC_RESTORE) {
        m_repaintAllOnce = true;
    }
    return false;
}

void CWindowHostUI::SetTransparency(int alpha) {
    if (!m_window) {
        return;
    }
    static const auto setAttributes =
        User32Entry<SetLayeredWindowAttributesProc>("SetLayeredWindowAttributes");
    if (!setAttributes) {
        return;
    }
    bool apply = alpha >= 0 && alpha <= 255;
    SetLayeredStyle(m_window, apply);
    if (apply) {
        setAttributes(m_window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    }
}
