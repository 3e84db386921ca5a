// Geometry of a control: placement, size settings, relative layout, and the repaint and
// re-layout requests that geometry changes send to the host.

#include <algorithm>

#include "ui/controls/control.h"
#include "ui/core/window_host.h"

namespace {

RECT BoundingRect(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// IntersectRect without the call into the system: every placement clips by each ancestor, so
// this runs depth times per control. False, with rc untouched, when nothing is left.
bool ClipTo(RECT& rc, const RECT& clip) {
    RECT cut = {std::max(rc.left, clip.left), std::max(rc.top, clip.top), std::min(rc.right, clip.right),
                std::min(rc.bottom, clip.bottom)};
    if (cut.left >= cut.right || cut.top >= cut.bottom) {
        return false;
    }
    rc = cut;
    return true;
}

}  // namespace

const RECT& CControlUI::Pos() const {
    return m_rcItem;
}

void CControlUI::SetPos(RECT rc) {
    if (rc.right < rc.left) {
        rc.right = rc.left;
    }
    if (rc.bottom < rc.top) {
        rc.bottom = rc.top;
    }
    RECT repaint = IsRectEmpty(&m_rcItem) ? rc : m_rcItem;
    m_rcItem = rc;
    if (!m_host) {
        return;
    }
    if (m_extras && !m_inSizeNotification) {
        m_inSizeNotification = true;
        m_extras->sizeListeners.Run(this);
        m_inSizeNotification = false;
    }
    KeepFloatOffsetRelativeToParent(rc);
    m_updateNeeded = false;
    repaint = BoundingRect(repaint, m_rcItem);
    if (ClipByAncestors(repaint)) {
        m_host->InvalidateArea(repaint);
    }
}

// A floating control remembers where it sits inside its parent, measured from the edge its
// offset refers to, so that the next placement (by PlaceFloatChild) reproduces the rectangle.
void CControlUI::KeepFloatOffsetRelativeToParent(const RECT& rc) {
    if (!m_floating || !m_parent) {
        return;
    }
    const RECT& parent = m_parent->Pos();
    m_floatOffset.cx = m_floatOffset.cx < 0 ? rc.right - parent.right : rc.left - parent.left;
    m_floatOffset.cy = m_floatOffset.cy < 0 ? rc.bottom - parent.bottom : rc.top - parent.top;
    m_fixedWidth = rc.right - rc.left;
    m_fixedHeight = rc.bottom - rc.top;
}

int CControlUI::Width() const {
    return m_rcItem.right - m_rcItem.left;
}

int CControlUI::Height() const {
    return m_rcItem.bottom - m_rcItem.top;
}

int CControlUI::X() const {
    return m_rcItem.left;
}

int CControlUI::Y() const {
    return m_rcItem.top;
}

RECT CControlUI::Padding() const {
    return m_padding;
}

void CControlUI::SetPadding(RECT rc) {
    m_padding = rc;
    MarkParentDirty();
}

SIZE CControlUI::FloatOffset() const {
    return m_floatOffset;
}

void CControlUI::SetFloatOffset(SIZE offset) {
    m_floatOffset = offset;
    MarkSizeChanged();
}

// Fixed sizes and the float offset: a control in the flow changes its parent's layout; a
// floating one only needs its own placement redone (and only while it is shown).
void CControlUI::MarkSizeChanged() {
    if (!m_floating) {
        MarkParentDirty();
    } else if (IsVisible()) {
        MarkDirty();
    }
}

int CControlUI::FixedWidth() const {
    return m_fixedWidth;
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) {
        return;
    }
    m_fixedWidth = cx;
    MarkSizeChanged();
}

int CControlUI::FixedHeight() const {
    return m_fixedHeight;
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) {
        return;
    }
    m_fixedHeight = cy;
    MarkSizeChanged();
}

// Limits: unchanged or negative values are ignored, so re-applying a skin value does not
// schedule a layout. A floating control only needs its own placement redone.
void CControlUI::SetLimit(int& field, int value) {
    if (value < 0 || value == field) {
        return;
    }
    field = value;
    if (m_floating) {
        MarkDirty();
    } else {
        MarkParentDirty();
    }
}

int CControlUI::MinWidth() const {
    return m_minWidth;
}

void CControlUI::SetMinWidth(int cx) {
    SetLimit(m_minWidth, cx);
}

int CControlUI::MaxWidth() const {
    return m_maxWidth;
}

void CControlUI::SetMaxWidth(int cx) {
    SetLimit(m_maxWidth, cx);
}

int CControlUI::MinHeight() const {
    return m_minHeight;
}

void CControlUI::SetMinHeight(int cy) {
    SetLimit(m_minHeight, cy);
}

int CControlUI::MaxHeight() const {
    return m_maxHeight;
}

void CControlUI::SetMaxHeight(int cy) {
    SetLimit(m_maxHeight, cy);
}

void CControlUI::SetRelativeLayout(int moveX, int moveY, int zoomX, int zoomY) {
    RelativeLayoutRecord& relative = Extras().relative;
    relative.moveXPercent = moveX;
    relative.moveYPercent = moveY;
    relative.zoomXPercent = zoomX;
    relative.zoomYPercent = zoomY;
    relative.relative = true;
}

void CControlUI::SetRelativeParentSize(SIZE size) {
    Extras().relative.parentSize = size;
}

RelativeLayoutRecord CControlUI::RelativeLayout() const {
    return ReadExtras().relative;
}

bool CControlUI::IsRelativeLayout() const {
    return m_extras && m_extras->relative.relative;
}

bool CControlUI::IsFloat() const {
    return m_floating;
}

void CControlUI::SetFloat(bool on) {
    if (m_floating == on) {
        return;
    }
    m_floating = on;
    MarkParentDirty();
}

bool CControlUI::ClipByAncestors(RECT& rc) const {
    for (const CControlUI* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent) {
        if (!ClipTo(rc, ancestor->m_rcItem)) {
            return false;
        }
    }
    return rc.left < rc.right && rc.top < rc.bottom;
}

void CControlUI::Invalidate() {
    if (!IsVisible() || !m_host) {
        return;
    }
    RECT rc = m_rcItem;
    if (ClipByAncestors(rc)) {
        m_host->InvalidateArea(rc);
    }
}

void CControlUI::MarkDirty() {
    if (!IsVisible()) {
        return;
    }
    m_updateNeeded = true;
    Invalidate();
    if (m_host) {
        m_host->RequestLayout();
    }
}

void CControlUI::MarkParentDirty() {
    if (m_parent) {
        m_parent->MarkDirty();
        m_parent->Invalidate();
    } else {
        MarkDirty();
    }
    if (m_host) {
        m_host->RequestLayout();
    }
}
