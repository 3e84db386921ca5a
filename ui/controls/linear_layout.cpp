// The vertical and horizontal layouts: their separator handle (pressing inside the strip at one
// edge and dragging resizes the layout, either live ("sepimm") or with a dark tracker painted
// over the window until the button is released) and the two thin classes that name the axis.

#include <cwchar>

#include "ui/util/attribute_parse.h"
#include "ui/draw/gdi_painter.h"
#include "ui/controls/layout_math.h"
#include "ui/controls/layouts.h"
#include "ui/core/window_host.h"

CLinearLayoutUI::CLinearLayoutUI(bool vertical) : m_vertical(vertical) {}

UINT CLinearLayoutUI::ControlFlags() const {
    return IsEnabled() && m_separator != 0 ? UINT{ControlFlagSetCursor} : 0u;
}

RECT CLinearLayoutUI::SeparatorRect(bool dragged) const {
    const RECT& base = (dragged && IsDragging()) ? m_dragged : m_rcItem;
    return layoutmath::SeparatorRect(base, m_separator, m_vertical);
}

void CLinearLayoutUI::SetImmediateResize(bool on) {
    if (m_immediate == on) {
        return;
    }
    // A tracker-style drag in progress must leave the after-paint list before the mode changes.
    if (IsDragging() && !m_immediate && m_host) {
        m_host->RemoveAfterPaint(this);
    }
    m_immediate = on;
}

void CLinearLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, m_vertical ? L"sepheight" : L"sepwidth") == 0) {
        SetSeparatorSize(attr::ParseInt(value));
    } else if (wcscmp(name, L"sepimm") == 0) {
        SetImmediateResize(attr::ParseBool(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CLinearLayoutUI::HandleEvent(UIEvent& event) {
    if (m_separator != 0) {
        RECT strip = SeparatorRect(false);
        switch (event.type) {
            case EventButtonDown:
                if (IsEnabled() && PtInRect(&strip, event.point) && BeginDrag(event)) {
                    return;
                }
                break;
            case EventButtonUp:
                if (IsDragging()) {
                    EndDrag();
                    return;
                }
                break;
            case EventMouseMove:
                if (IsDragging()) {
                    DragTo(event.point);
                    return;
                }
                break;
            case EventSetCursor:
                if (IsEnabled() && PtInRect(&strip, event.point)) {
                    ::SetCursor(LoadCursorW(nullptr, m_vertical ? IDC_SIZENS : IDC_SIZEWE));
                    return;
                }
                break;
            default: break;
        }
    }
    CContainerUI::HandleEvent(event);
}

bool CLinearLayoutUI::BeginDrag(const UIEvent& event) {
    m_buttonState |= kDragging;
    m_lastMouse = event.point;
    m_dragged = m_rcItem;
    // A second button-down can arrive without a button-up in between (the capture was lost to
    // another window). Listing the layout twice would leave a copy behind after the drag ends.
    if (!m_immediate && m_host && m_host->AfterPaintControls().Find(this) < 0) {
        m_host->AddAfterPaint(this);
    }
    return true;
}

void CLinearLayoutUI::EndDrag() {
    m_buttonState &= ~kDragging;
    m_rcItem = m_dragged;
    if (!m_immediate && m_host) {
        m_host->RemoveAfterPaint(this);
    }
    MarkParentDirty();
}

void CLinearLayoutUI::DragTo(POINT point) {
    int pointer = m_vertical ? point.y : point.x;
    int delta = pointer - (m_vertical ? m_lastMouse.y : m_lastMouse.x);
    m_lastMouse = point;
    RECT dragged = m_dragged;
    LONG& nearEdge = m_vertical ? dragged.top : dragged.left;
    LONG& farEdge = m_vertical ? dragged.bottom : dragged.right;
    int nearValue = nearEdge;
    int farValue = farEdge;
    int minSize = m_vertical ? MinHeight() : MinWidth();
    int maxSize = m_vertical ? MaxHeight() : MaxWidth();
    if (!layoutmath::DragSeparatorEdge(nearValue, farValue, m_separator, pointer, delta, minSize, maxSize,
                                       m_vertical)) {
        return;
    }
    RECT repaint = SeparatorRect(true);
    nearEdge = nearValue;
    farEdge = farValue;
    m_dragged = dragged;
    int size = farValue - nearValue;
    // Stored without a layout request: a tracker drag only repaints the strips, and the parent
    // lays the new size out when the drag ends (an immediate drag asks for that right below).
    if (m_vertical) {
        m_fixedHeight = size;
    } else {
        m_fixedWidth = size;
    }
    if (m_immediate) {
        m_rcItem = m_dragged;
        MarkParentDirty();
        return;
    }
    RECT now = SeparatorRect(true);
    RECT item = SeparatorRect(false);
    UnionRect(&repaint, &repaint, &now);
    UnionRect(&repaint, &repaint, &item);
    if (m_host) {
        m_host->InvalidateArea(repaint);
    }
}

void CLinearLayoutUI::PaintAfter(HDC dc, const RECT& /*dirty*/) {
    if (IsDragging() && !m_immediate) {
        CGdiPainter::FillColor(dc, SeparatorRect(true), 0xAA000000);
    }
}

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(false) {}

const wchar_t* CHorizontalLayoutUI::ClassName() const {
    return L"HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"HorizontalLayout") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(true) {}

const wchar_t* CVerticalLayoutUI::ClassName() const {
    return L"VerticalLayoutUI";
}

void* CVerticalLayoutUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"VerticalLayout") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}
