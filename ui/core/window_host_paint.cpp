// CWindowHostUI: painting. Before a paint the tree is laid out where controls asked for it, and
// "windowinit" follows the first layout of a root; then only the dirty rectangle is painted
// into a persistent off-screen bitmap and copied to the window. Layered windows take their own
// path (window_host_layered.cpp).

#include <algorithm>

#include "ui/controls/control.h"
#include "ui/core/window_host.h"

namespace {

// A control that asks for layout again while it is being placed (a size listener marking its
// own control dirty) would keep one paint placing forever. One paint places at most this many
// dirty controls; the rest waits for the next paint, so the window stays responsive.
constexpr int kMaxPlacementsPerStep = 10000;

CControlUI* DirtyVisitor(CControlUI* control, void* /*data*/) {
    return control->IsUpdateNeeded() ? control : nullptr;
}

}  // namespace

void CWindowHostUI::PreparePaintingOnce() {
    static bool prepared = false;
    if (prepared) {
        return;
    }
    prepared = true;
    DirtyOutlinePen();
    InitCommonControls();
    // The image drawing blends through AlphaBlend of this module, looked up by name.
    LoadLibraryW(L"msimg32.dll");
}

HPEN CWindowHostUI::DirtyOutlinePen() {
    // Shared by every host and kept for the life of the process.
    static HPEN pen = CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
    return pen;
}

// ---- Invalidation and layout passes ----

void CWindowHostUI::InvalidateArea(const RECT& rc) {
    if (!m_window || rc.left >= rc.right || rc.top >= rc.bottom) {
        return;
    }
    if (m_layoutDepth == 0) {
        InvalidateRect(m_window, &rc, FALSE);
        return;
    }
    // Each InvalidateRect is a trip to the window system that also merges into the update
    // region; a layout pass places thousands of controls, so their areas are merged here.
    RECT& pending = m_pendingRepaint;
    if (pending.left >= pending.right || pending.top >= pending.bottom) {
        pending = rc;
        return;
    }
    pending.left = std::min(pending.left, rc.left);
    pending.top = std::min(pending.top, rc.top);
    pending.right = std::max(pending.right, rc.right);
    pending.bottom = std::max(pending.bottom, rc.bottom);
}

void CWindowHostUI::EndLayoutPass() {
    if (--m_layoutDepth > 0) {
        return;
    }
    m_layoutDepth = 0;
    RECT pending = m_pendingRepaint;
    SetRectEmpty(&m_pendingRepaint);
    InvalidateArea(pending);
}

// ---- Layout before paint ----

bool CWindowHostUI::PrepareTree() {
    DeliveryGuard guard(this);
    RunLayoutStep();
    if (!guard.HostAlive()) {
        return false;
    }
    RunFocusStep();
    return guard.HostAlive();
}

void CWindowHostUI::RunLayoutStep() {
    if (!m_updateNeeded || !m_root) {
        return;
    }
    RECT client;
    GetClientRect(m_window, &client);
    // A window without a client area has nothing to lay out yet. The request stays, so the
    // first paint after it gets a size lays out and sends "windowinit".
    if (IsRectEmpty(&client)) {
        return;
    }
    m_updateNeeded = false;
    {
        LayoutPass pass(this);
        if (m_root->IsUpdateNeeded()) {
            if (!IsIconic(m_window)) {
                m_root->SetPos(client);
            }
            m_offscreen.Reset();
            m_layer.Reset();
        } else {
            PlaceDirtyControls();
        }
    }
    if (m_firstLayout) {
        m_firstLayout = false;
        // The listener may replace the root or close the window; nothing follows here.
        SendNotification(m_root, L"windowinit");
    }
}

void CWindowHostUI::PlaceDirtyControls() {
    for (int placed = 0; placed < kMaxPlacementsPerStep; ++placed) {
        CControlUI* dirty = m_root->FindControl(DirtyVisitor, nullptr, FindVisible | FindMeFirst);
        if (!dirty) {
            return;
        }
        dirty->SetPos(dirty->Pos());
    }
    m_updateNeeded = true;
}

// ---- The normal path ----

SIZE CWindowHostUI::ClientSize() const {
    RECT client;
    if (!GetClientRect(m_window, &client)) {
        return SIZE{0, 0};
    }
    return SIZE{client.right - client.left, client.bottom - client.top};
}

bool CWindowHostUI::OnPaint(WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
    RECT update;
    if (!GetUpdateRect(m_window, &update, FALSE)) {
        return true;
    }
    if (!m_root) {
        PAINTSTRUCT ps;
        BeginPaint(m_window, &ps);
        EndPaint(m_window, &ps);
        return true;
    }
    if (m_layeredPaint) {
        PaintLayered(update);
    } else {
        PaintNormal(update);
    }
    return true;
}

void CWindowHostUI::PaintNormal(const RECT& update) {
    if (!PrepareTree()) {
        return;
    }
    m_offscreen.Ensure(m_paintDC.Get(), CPaintBuffer::Kind::Compatible, ClientSize());
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(m_window, &ps);
    PaintThroughOffscreen(screen, ps.rcPaint);
    if (m_showDirty) {
        OutlineDirtyRect(screen, update);
    }
    EndPaint(m_window, &ps);
    // A control asked for layout while it was painted: its new place needs another paint.
    if (m_updateNeeded) {
        InvalidateRect(m_window, nullptr, FALSE);
    }
}

void CWindowHostUI::PaintThroughOffscreen(HDC target, const RECT& area) {
    if (!m_offscreen.IsReady() || !target) {
        return;
    }
    HDC dc = m_offscreen.DC();
    CSelectScope select(dc, m_offscreen.Bitmap());
    int saved = SaveDC(dc);
    PaintTree(dc, area);
    PaintAfterList(dc, area);
    RestoreDC(dc, saved);
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc, area.left,
           area.top, SRCCOPY);
}

void CWindowHostUI::PaintTree(HDC dc, const RECT& paintRect) {
    m_root->Paint(dc, paintRect);
    PaintDrawnCaret(dc, paintRect);
}

void CWindowHostUI::PaintAfterList(HDC dc, const RECT& paintRect) {
    if (m_afterPaint.IsEmpty()) {
        return;
    }
    // A control may leave the list while it paints; the list is walked as it was.
    PointerArray snapshot(m_afterPaint);
    for (int i = 0; i < snapshot.GetSize(); ++i) {
        auto* control = static_cast<CControlUI*>(snapshot.GetAt(i));
        if (m_afterPaint.Find(control) >= 0) {
            control->PaintAfter(dc, paintRect);
        }
    }
}

void CWindowHostUI::OutlineDirtyRect(HDC dc, const RECT& update) {
    CSelectScope pen(dc, DirtyOutlinePen());
    CSelectScope brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, update.left, update.top, update.right, update.bottom);
}

// Painting into a DC the caller provides (AnimateWindow, printing): the whole client area,
// laid out first, through the same off-screen bitmap.
bool CWindowHostUI::OnPrintClient(WPARAM wParam, LPARAM /*lParam*/, LRESULT& result) {
    HDC target = reinterpret_cast<HDC>(wParam);
    if (!m_root || !target) {
        return false;
    }
    if (!PrepareTree()) {
        return true;
    }
    RECT client;
    GetClientRect(m_window, &client);
    m_offscreen.Ensure(m_paintDC.Get(), CPaintBuffer::Kind::Compatible, ClientSize());
    PaintThroughOffscreen(target, client);
    result = 0;
    return true;
}
