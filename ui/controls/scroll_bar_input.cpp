// CScrollBarUI: mouse and timer handling and the scroll actions. A press scrolls at once and
// starts the repeat timer; holding repeats after a delay. Dragging only records how far the
// pointer moved: the position follows at the next tick, so a burst of mouse moves costs one
// re-layout of the owner per tick instead of one per move.

#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_host.h"

void CScrollBarUI::ScrollSelf(int position) {
    SetScrollPos(position);
    if (m_host) {
        m_host->SendNotification(this, L"scroll");
    }
}

void CScrollBarUI::Act(int ownStep, OwnerAction vertical, OwnerAction horizontal) {
    if (m_owner) {
        (m_owner->*(m_horizontal ? horizontal : vertical))();
    } else {
        ScrollSelf(m_position + ownStep);
    }
}

void CScrollBarUI::LineBack() {
    Act(-m_lineSize, &CContainerUI::ScrollLineUp, &CContainerUI::ScrollLineLeft);
}

void CScrollBarUI::LineForward() {
    Act(m_lineSize, &CContainerUI::ScrollLineDown, &CContainerUI::ScrollLineRight);
}

void CScrollBarUI::PageBack() {
    Act(-LengthAlong(m_rcItem, m_horizontal), &CContainerUI::ScrollPageUp, &CContainerUI::ScrollPageLeft);
}

void CScrollBarUI::PageForward() {
    Act(LengthAlong(m_rcItem, m_horizontal), &CContainerUI::ScrollPageDown, &CContainerUI::ScrollPageRight);
}

void CScrollBarUI::PageTowards(POINT point) {
    int side = RailSide(point, m_parts.thumb, m_horizontal);
    if (side < 0) {
        PageBack();
    } else if (side > 0) {
        PageForward();
    }
}

void CScrollBarUI::ApplyDrag() {
    int target = m_dragStartPosition + m_dragDelta;
    if (!m_owner) {
        ScrollSelf(target);
        return;
    }
    SIZE pos = m_owner->ScrollPos();
    (m_horizontal ? pos.cx : pos.cy) = target;
    m_owner->SetScrollPos(pos);
}

void CScrollBarUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.type)) {
        PassOn(event);
        return;
    }
    switch (event.type) {
        case EventButtonDown:
        case EventDoubleClick:
            if (IsEnabled()) {
                OnPress(event);
            }
            return;
        case EventMouseMove: OnMouseMove(event); return;
        case EventButtonUp: OnRelease(); return;
        case EventMouseEnter:
        case EventMouseLeave:
            if (IsEnabled()) {
                OnHover(event, event.type == EventMouseEnter);
            }
            return;
        case EventContextMenu:
        case EventFocusLost:
        case EventFocusGained: return;
        case EventTimer:
            if (event.wParam == kRepeatTimerId) {
                OnRepeatTick();
                return;
            }
            break;
        default: break;
    }
    PassOn(event);
}

void CScrollBarUI::PassOn(UIEvent& event) {
    if (m_owner) {
        m_owner->HandleEvent(event);
    } else {
        CControlUI::HandleEvent(event);
    }
}

void CScrollBarUI::OnPress(const UIEvent& event) {
    m_dragDelta = 0;
    m_repeatTicks = 0;
    if (m_host) {
        m_host->StartTimer(this, kRepeatTimerId, kRepeatElapse);
    }
    if (PtInRect(&m_parts.button1, event.point)) {
        m_button1State |= ScrollStatePushed;
        LineBack();
    } else if (PtInRect(&m_parts.button2, event.point)) {
        m_button2State |= ScrollStatePushed;
        LineForward();
    } else if (PtInRect(&m_parts.thumb, event.point)) {
        m_thumbState |= ScrollStatePushed | ScrollStateCaptured;
        m_dragStartPoint = event.point;
        m_dragStartPosition = m_position;
    } else {
        PageTowards(event.point);
    }
}

void CScrollBarUI::OnMouseMove(const UIEvent& event) {
    if (m_thumbState & ScrollStateCaptured) {
        int moved =
            CoordinateAlong(event.point, m_horizontal) - CoordinateAlong(m_dragStartPoint, m_horizontal);
        int travel = ThumbTravel();
        if (travel != 0) {
            m_dragDelta = DragDelta(moved, m_range, travel);
        }
        return;
    }
    bool inThumb = PtInRect(&m_parts.thumb, event.point) != FALSE;
    if ((m_thumbState & ScrollStateHot) && !inThumb) {
        m_thumbState &= ~ScrollStateHot;
        Invalidate();
    } else if (IsEnabled() && inThumb && !(m_thumbState & ScrollStateHot)) {
        m_thumbState |= ScrollStateHot;
        Invalidate();
    }
}

void CScrollBarUI::OnRelease() {
    m_repeatTicks = 0;
    m_dragDelta = 0;
    if (m_host) {
        m_host->StopTimer(this, kRepeatTimerId);
    }
    if (m_thumbState & ScrollStateCaptured) {
        m_thumbState &= ~(ScrollStatePushed | ScrollStateCaptured);
    } else if (m_button1State & ScrollStatePushed) {
        m_button1State &= ~ScrollStatePushed;
    } else if (m_button2State & ScrollStatePushed) {
        m_button2State &= ~ScrollStatePushed;
    } else {
        return;
    }
    Invalidate();
}

void CScrollBarUI::OnRepeatTick() {
    if (!IsEnabled() || !IsVisible()) {
        // Disabled or hidden while held: the release may never reach the bar, and the rail
        // would otherwise keep paging towards the pointer.
        OnRelease();
        return;
    }
    ++m_repeatTicks;
    if (m_thumbState & ScrollStateCaptured) {
        // Repaint first: a "scroll" listener may destroy the bar.
        Invalidate();
        ApplyDrag();
        return;
    }
    if (m_repeatTicks < kRepeatDelayTicks) {
        return;
    }
    if (m_button1State & ScrollStatePushed) {
        LineBack();
    } else if (m_button2State & ScrollStatePushed) {
        LineForward();
    } else if (m_host) {
        POINT point = {0, 0};
        GetCursorPos(&point);
        ScreenToClient(m_host->WindowHandle(), &point);
        PageTowards(point);
    }
}

void CScrollBarUI::OnHover(const UIEvent& event, bool entered) {
    if (entered) {
        m_button1State |= ScrollStateHot;
        m_button2State |= ScrollStateHot;
        if (PtInRect(&m_parts.thumb, event.point)) {
            m_thumbState |= ScrollStateHot;
        }
    } else {
        m_button1State &= ~ScrollStateHot;
        m_button2State &= ~ScrollStateHot;
        m_thumbState &= ~ScrollStateHot;
    }
    Invalidate();
}
