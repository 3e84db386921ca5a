// CWindowHostUI: moving a host to another display scale. Skins stay in 96-DPI pixels; the host
// keeps what it needs to scale them again (window settings and font sizes in skin pixels, each
// control's skin lengths as written), so a window dragged from a 100 % to a 150 % monitor is
// re-scaled in place and keeps its texts, values and states.

#include "ui/controls/control.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_dpi.h"
#include "ui/core/window_host.h"

namespace {

CControlUI* RescaleOne(CControlUI* control, void* /*data*/) {
    if (auto* bar = static_cast<CScrollBarUI*>(control->CastTo(L"ScrollBar"))) {
        bar->RescaleToHost();
    } else {
        control->RescaleSkinLengths();
    }
    return nullptr;
}

}  // namespace

void CWindowHostUI::RescaleTree() {
    if (!m_root) {
        return;
    }
    // Every control, hidden ones and scroll bars included; a container's own lengths (and its
    // scroll bar styles) come after its bars.
    m_root->FindControl(RescaleOne, nullptr, 0);
    m_root->MarkDirty();
}

void CWindowHostUI::ChangeDpi(int dpi) {
    if (dpi <= 0) {
        dpi = dpi::kSkinDpi;
    }
    if (dpi == m_dpi) {
        return;
    }
    m_dpi = dpi;
    RescaleFonts();
    ClearImages();
    RescaleTree();
    RequestLayout();
    if (m_window) {
        InvalidateRect(m_window, nullptr, FALSE);
    }
}

// Windows suggests the rectangle that keeps the window's look on the new monitor; taking it
// after the re-scale lets the one WM_SIZE it causes lay the re-scaled tree out, and the whole
// window is repainted once.
bool CWindowHostUI::OnDpiChanged(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    ChangeDpi(HIWORD(wParam));
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    result = 0;
    return true;
}
