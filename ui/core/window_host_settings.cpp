// CWindowHostUI: the window-level settings the skin's Window element carries.

#include "ui/core/window_host.h"

void CWindowHostUI::SetStartSize(int cx, int cy) {
    m_startSize = {cx, cy};
    // The builder reads the Window element before the tree is attached: the window then takes
    // the skin's size before it is first shown.
    if (!m_root && m_window) {
        SIZE size = StartSize();
        SetWindowPos(m_window, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void CWindowHostUI::ApplyTrackSizes(MINMAXINFO* info) const {
    if (!info) {
        return;
    }
    const SIZE minimum = MinTrackSize();
    const SIZE maximum = MaxTrackSize();
    if (minimum.cx > 0) info->ptMinTrackSize.x = minimum.cx;
    if (minimum.cy > 0) info->ptMinTrackSize.y = minimum.cy;
    if (maximum.cx > 0) info->ptMaxTrackSize.x = maximum.cx;
    if (maximum.cy > 0) info->ptMaxTrackSize.y = maximum.cy;
}

// Not consumed: the window's own handler and the default procedure see the message as well.
bool CWindowHostUI::OnGetMinMaxInfo(WPARAM /*wParam*/, LPARAM lParam, LRESULT& /*result*/) {
    ApplyTrackSizes(reinterpret_cast<MINMAXINFO*>(lParam));
    return false;
}
