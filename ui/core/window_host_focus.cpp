// CWindowHostUI: the keyboard focus among the controls of the window and the Tab order.

#include "ui/controls/control.h"
#include "ui/core/window_host.h"

namespace {

// State of one walk through the tab stops in search order.
struct TabSearch {
    CControlUI* focus;
    CControlUI* last;  // the last tab stop passed
    bool forward;
    bool nextIsIt;
};

CControlUI* TabVisitor(CControlUI* control, void* data) {
    auto* search = static_cast<TabSearch*>(data);
    if (control == search->focus) {
        if (search->forward) {
            search->nextIsIt = true;
            return nullptr;
        }
        return search->last;
    }
    if (!(control->ControlFlags() & ControlFlagTabStop)) {
        return nullptr;
    }
    search->last = control;
    return (search->nextIsIt || !search->focus) ? control : nullptr;
}

constexpr UINT kTabSearchFlags = FindVisible | FindEnabled | FindMeFirst;

}  // namespace

CControlUI* CWindowHostUI::FindTabStop(CControlUI* from, bool forward, CControlUI** last) const {
    if (!m_root) {
        return nullptr;
    }
    TabSearch search = {from, nullptr, forward, false};
    CControlUI* found = m_root->FindControl(TabVisitor, &search, kTabSearchFlags);
    if (last) {
        *last = search.last;
    }
    return found;
}

// The current focus loses it: EventFocusLost naming the successor, then "killfocus". False when
// the host died meanwhile.
bool CWindowHostUI::DropFocus(CControlUI* successor) {
    CControlUI* old = m_focus;
    DeliveryGuard guard(this, old);
    UIEvent event = MakeEvent(EventFocusLost, successor, POINT{0, 0});
    if (!Deliver(old, event)) {
        return false;
    }
    if (guard.Control()) {
        SendNotification(old, L"killfocus");
        if (!guard.HostAlive()) {
            return false;
        }
    }
    if (m_focus == old) {
        m_focus = nullptr;
    }
    return true;
}

// Every event and notification below may delete controls or close the window; the guards tell
// whether the host and the control to be focused are still there after each one.
void CWindowHostUI::SetFocusControl(CControlUI* control) {
    DeliveryGuard guard(this, control);
    if (m_window && GetFocus() != m_window && control != m_focus) {
        ::SetFocus(m_window);
        if (!guard.HostAlive()) {
            return;
        }
        control = guard.Control();
    }
    if (control == m_focus) {
        return;
    }
    if (m_focus) {
        if (!DropFocus(control)) {
            return;
        }
        control = guard.Control();
    }
    if (!control || control->Host() != this || !control->IsVisible() || !control->IsEnabled()) {
        return;
    }
    m_focus = control;
    control->NotifyAccessible(EVENT_OBJECT_FOCUS);
    UIEvent event = MakeEvent(EventFocusGained, control, POINT{0, 0});
    if (Deliver(control, event) && guard.Control()) {
        SendNotification(control, L"setfocus");
    }
}

bool CWindowHostUI::TabToNext(bool forward) {
    if (m_updateNeeded && forward) {
        // Positions are stale; the choice waits for the layout of the next paint.
        m_focusNeeded = true;
        if (m_window) {
            InvalidateRect(m_window, nullptr, FALSE);
        }
        return true;
    }
    CControlUI* last = nullptr;
    CControlUI* next = FindTabStop(m_focus, forward, &last);
    if (!next) {
        next = forward ? FindTabStop(nullptr, true, nullptr) : last;  // wrap around
    }
    if (next) {
        DeliveryGuard guard(this);
        SetFocusControl(next);
        if (!guard.HostAlive()) {
            return true;
        }
    }
    m_focusNeeded = false;
    return true;
}

void CWindowHostUI::RunFocusStep() {
    if (m_focusNeeded) {
        TabToNext(true);
    }
}

// The focus is parked on the tab stop before the control (without focus events), so that the
// Tab step after the next layout lands on the control itself, or on the first tab stop after it.
void CWindowHostUI::FocusAfterLayout(CControlUI* control) {
    DeliveryGuard guard(this, control);
    if (m_window) {
        ::SetFocus(m_window);
    }
    if (!guard.Control()) {
        return;
    }
    if (m_focus && (!DropFocus(control) || !guard.Control())) {
        return;
    }
    m_focus = FindTabStop(control, false, nullptr);
    m_focusNeeded = true;
    if (m_root) {
        m_root->MarkDirty();
    }
}
