// CWindowHostUI: the caret painted by the host. A system caret cannot show on a layered window
// (the window's pixels come from the DIB alone), so a control that needs one there keeps moving
// the system caret for the input method but has the host paint the caret, blinking on the
// reserved native timer.

#include "ui/controls/control.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"

void CWindowHostUI::SetDrawnCaretSize(int width, int height) {
    m_caretRect.right = m_caretRect.left + width;
    m_caretRect.bottom = m_caretRect.top + height;
}

bool CWindowHostUI::ShowDrawnCaret(bool show) {
    if (m_caretEnabled == show) {
        return true;
    }
    m_caretEnabled = show;
    if (!show) {
        KillTimer(m_window, kCaretTimerId);
        HideDrawnCaretPhase();
        return true;
    }
    // Without a window SetTimer would make a thread timer under an id of its own choosing.
    if (m_window) {
        SetTimer(m_window, kCaretTimerId, GetCaretBlinkTime(), nullptr);
    }
    if (!m_caretShown) {
        InvalidateArea(m_caretRect);
        m_caretShown = true;
    }
    return true;
}

bool CWindowHostUI::MoveDrawnCaret(CControlUI* control, int x, int y) {
    if (!SetCaretPos(x, y)) {
        return false;
    }
    m_caretOwner = control;
    RECT before = m_caretRect;
    OffsetRect(&m_caretRect, x - m_caretRect.left, y - m_caretRect.top);
    InvalidateArea(before);
    InvalidateArea(m_caretRect);
    return true;
}

void CWindowHostUI::HideDrawnCaretPhase() {
    if (m_caretShown) {
        InvalidateArea(m_caretRect);
    }
    m_caretShown = false;
}

void CWindowHostUI::BlinkDrawnCaret() {
    InvalidateArea(m_caretRect);
    m_caretShown = !m_caretShown;
}

void CWindowHostUI::PaintDrawnCaret(HDC dc, const RECT& paintRect) {
    if (m_caretOwner && (!m_caretOwner->IsFocused() || GetFocus() != m_window)) {
        // The owner lost the focus: the blinking stops and the caret is painted away.
        KillTimer(m_window, kCaretTimerId);
        HideDrawnCaretPhase();
        return;
    }
    if (!m_caretShown || !m_caretEnabled || !m_caretOwner) {
        return;
    }
    RECT caret;
    if (!IntersectRect(&caret, &paintRect, &m_caretRect)) {
        return;
    }
    // No control that exists has a caret colour of its own, so the default text colour is
    // used; its alpha byte keeps the caret visible after the alpha repair.
    DWORD color = DefaultFontColor();
    if ((color & 0xFF000000) != 0) {
        CGdiPainter::FillColor(dc, caret, color);
    }
}
