// CWindowHostUI: the window-level settings the skin's Window element carries.

#include "ui/core/window_host.h"

void CWindowHostUI::SetStartSize(int cx, int cy) {
    m_startSize = {cx, cy};
    // The builder reads the Window element before the tree is attached: the window then takes
    // the skin's size before it is first shown.
    if (!m_root && m_window) {
        SetWindowPos(m_window, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void CWindowHostUI::ApplyTrackSizes(MINMAXINFO* info) const {
    if (!info) {
        return;
    }
    if (m_minTrackSize.cx > 0) info->ptMinTrackSize.x = m_minTrackSize.cx;
    if (m_minTrackSize.cy > 0) info->ptMinTrackSize.y = m_minTrackSize.cy;
    if (m_maxTrackSize.cx > 0) info->ptMaxTrackSize.x = m_maxTrackSize.cx;
    if (m_maxTrackSize.cy > 0) info->ptMaxTrackSize.y = m_maxTrackSize.cy;
}

// Not consumed: the window's own handler and the default procedure see the message as well.
bool CWindowHostUI::OnGetMinMaxInfo(WPARAM /*wParam*/, LPARAM lParam, LRESULT& /*result*/) {
    ApplyTrackSizes(reinterpret_cast<MINMAXINFO*>(lParam));
    return false;
}
