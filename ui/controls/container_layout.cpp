// Placement of a container's children: the plain container's placement, floating children
// with relative layout, and the adjustment of the scroll bars after a layout.

#include <climits>

#include "ui/controls/container.h"
#include "ui/controls/layout_math.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_host.h"

using layoutmath::ToInt;

RECT CContainerUI::InsetRect() const {
    return RECT{ToInt(static_cast<long long>(m_rcItem.left) + m_inset.left),
                ToInt(static_cast<long long>(m_rcItem.top) + m_inset.top),
                ToInt(static_cast<long long>(m_rcItem.right) - m_inset.right),
                ToInt(static_cast<long long>(m_rcItem.bottom) - m_inset.bottom)};
}

bool CContainerUI::IsVerticalBarVisible() const {
    return m_verticalBar && m_verticalBar->IsVisible();
}

bool CContainerUI::IsHorizontalBarVisible() const {
    return m_horizontalBar && m_horizontalBar->IsVisible();
}

void CContainerUI::ExcludeScrollBars(RECT& rc) const {
    if (IsVerticalBarVisible()) {
        rc.right = ToInt(static_cast<long long>(rc.right) - m_verticalBar->FixedWidth());
    }
    if (IsHorizontalBarVisible()) {
        rc.bottom = ToInt(static_cast<long long>(rc.bottom) - m_horizontalBar->FixedHeight());
    }
}

RECT CContainerUI::ClientRect() const {
    RECT rc = InsetRect();
    ExcludeScrollBars(rc);
    return rc;
}

void CContainerUI::SetPos(RECT rc) {
    CWindowHostUI::LayoutPass pass(m_host);
    CControlUI::SetPos(rc);
    RECT inner = InsetRect();
    for (int i = 0; i < m_items.GetSize(); ++i) {
        if (!PlaceOutOfFlow(i)) {
            ItemAt(i)->SetPos(inner);
        }
    }
}

bool CContainerUI::PlaceOutOfFlow(int index) {
    CControlUI* child = ItemAt(index);
    if (!child->IsVisible()) {
        return true;
    }
    if (child->IsFloat()) {
        PlaceFloatChild(index);
        return true;
    }
    return false;
}

// A floating child sits at its float offset from the edge the offset's sign names. With
// relative layout it also moves and grows by a share of how much the container changed since
// the previous placement; the first placement only records the container's size.
void CContainerUI::PlaceFloatChild(int index) {
    CControlUI* child = ItemAt(index);
    if (!child || !child->IsVisible() || !child->IsFloat()) {
        return;
    }
    SIZE offset = child->FloatOffset();
    long long width = child->FixedWidth();
    long long height = child->FixedHeight();
    const RECT& r = m_rcItem;
    long long left = offset.cx >= 0 ? static_cast<long long>(r.left) + offset.cx : r.right + offset.cx - width;
    long long top = offset.cy >= 0 ? static_cast<long long>(r.top) + offset.cy : r.bottom + offset.cy - height;
    long long right = left + width;
    long long bottom = top + height;
    SIZE now = {ToInt(static_cast<long long>(r.right) - r.left), ToInt(static_cast<long long>(r.bottom) - r.top)};
    if (child->IsRelativeLayout()) {
        RelativeLayoutRecord relative = child->RelativeLayout();
        SIZE before = relative.parentSize;
        if (before.cx != 0) {
            const long long grownX = static_cast<long long>(now.cx) - before.cx;
            const long long grownY = static_cast<long long>(now.cy) - before.cy;
            left += grownX * relative.moveXPercent / 100;
            top += grownY * relative.moveYPercent / 100;
            right = left + grownX * relative.zoomXPercent / 100 + width;
            bottom = top + grownY * relative.zoomYPercent / 100 + height;
        }
        child->SetRelativeParentSize(now);
    }
    child->SetPos(RECT{ToInt(left), ToInt(top), ToInt(right), ToInt(bottom)});
}

// Called by layouts at the end of their placement with the area they used and the height the
// content needs. Showing, resizing or hiding the vertical bar changes the room left for the
// children, so the container then lays itself out once more.
void CContainerUI::UpdateScrollBars(RECT rc, int /*cxRequired*/, int cyRequired) {
    if (IsHorizontalBarVisible()) {
        int height = m_horizontalBar->FixedHeight();
        m_horizontalBar->SetPos(RECT{rc.left, rc.bottom, rc.right, ToInt(static_cast<long long>(rc.bottom) + height)});
    }
    if (!m_verticalBar) {
        return;
    }
    // Never INT_MIN, so that its magnitude below stays representable.
    int overflow = ToInt(static_cast<long long>(cyRequired) - (static_cast<long long>(rc.bottom) - rc.top));
    overflow = overflow < -INT_MAX ? -INT_MAX : overflow;
    if (overflow > 0 && !m_verticalBar->IsVisible()) {
        m_verticalBar->SetVisible(true);
        m_verticalBar->SetScrollRange(overflow);
        m_verticalBar->SetScrollPos(0);
        m_inScrollProcessing = true;
        SetPos(m_rcItem);
        m_inScrollProcessing = false;
        return;
    }
    if (!m_verticalBar->IsVisible()) {
        return;
    }
    if (overflow > 0 || m_inScrollProcessing) {
        m_verticalBar->SetPos(
            RECT{rc.right, rc.top, ToInt(static_cast<long long>(rc.right) + m_verticalBar->FixedWidth()), rc.bottom});
        if (m_verticalBar->ScrollRange() == overflow) {
            return;
        }
        int before = m_verticalBar->ScrollPos();
        m_verticalBar->SetScrollRange(overflow < 0 ? -overflow : overflow);
        if (m_verticalBar->ScrollRange() == 0) {
            m_verticalBar->SetVisible(false);
            m_verticalBar->SetScrollPos(0);
        }
        if (m_verticalBar->ScrollPos() >= before) {
            return;
        }
    } else {
        m_verticalBar->SetVisible(false);
        m_verticalBar->SetScrollPos(0);
        m_verticalBar->SetScrollRange(0);
    }
    SetPos(m_rcItem);
}
