// CWindowHostUI: the mouse rows of the message table. They keep track of the hovered and the
// pressed control, so that enter and leave pair up and a press is followed by moves and a
// release on the same control wherever the mouse goes meanwhile.

#include "ui/core/window_host.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/controls/control.h"

namespace {

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// Context-menu and wheel messages carry screen coordinates.
POINT ClientPointOf(HWND window, LPARAM lParam) {
    POINT point = PointOf(lParam);
    ScreenToClient(window, &point);
    return point;
}

}  // namespace

void CWindowHostUI::CaptureMouse() {
    SetCapture(m_window);
    m_mouseCaptured = true;
}

void CWindowHostUI::ReleaseMouse() {
    ReleaseCapture();
    m_mouseCaptured = false;
}

bool CWindowHostUI::AddFilter(IMessageFilterUI* filter) {
    return m_filters.Add(filter);
}

bool CWindowHostUI::RemoveFilter(IMessageFilterUI* filter) {
    return m_filters.RemoveValue(filter);
}

CControlUI* CWindowHostUI::HitOwnControl(POINT point, bool& foreign) const {
    CControlUI* hit = FindControlAt(point);
    foreign = hit && hit->Host() != this;
    return foreign ? nullptr : hit;
}

void CWindowHostUI::TrackMouseLeaveAndHover() {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = m_window;
    track.dwHoverTime = ToolTipHoverTime();
    _TrackMouseEvent(&track);
    m_mouseTracking = true;
}

bool CWindowHostUI::OnMouseMove(WPARAM, LPARAM lParam, LRESULT&) {
    if (!m_mouseTracking) {
        TrackMouseLeaveAndHover();
    }
    POINT point = PointOf(lParam);
    m_lastMousePoint = point;
    bool foreign = false;
    CControlUI* hit = HitOwnControl(point, foreign);
    if (foreign) {
        return false;
    }
    // Each event may delete controls or close the window: the hit control is watched, and the
    // hover and pressed fields are cleared by ForgetControl when their controls die.
    DeliveryGuard guard(this, hit);
    UIEvent event = MakeEvent(0, nullptr, point);
    if (hit != m_hover && m_hover) {
        CControlUI* left = m_hover;
        event.type = EventMouseLeave;
        event.sender = left;
        if (!Deliver(left, event)) {
            return false;
        }
        if (m_hover == left) {
            m_hover = nullptr;
        }
        HideToolTip();
        hit = guard.Control();
    }
    if (hit && hit != m_hover) {
        event.type = EventMouseEnter;
        event.sender = hit;
        if (!Deliver(hit, event)) {
            return false;
        }
        hit = guard.Control();
        m_hover = hit;
    }
    CControlUI* target = m_pressed ? m_pressed : hit;
    if (target) {
        event.type = EventMouseMove;
        event.sender = target;
        Deliver(target, event);
    }
    return false;
}

bool CWindowHostUI::OnMouseHover(WPARAM, LPARAM lParam, LRESULT&) {
    m_mouseTracking = false;
    POINT point = PointOf(lParam);
    bool foreign = false;
    CControlUI* hit = HitOwnControl(point, foreign);
    if (!hit) {
        return false;
    }
    DeliveryGuard guard(this, hit);
    if (m_hover) {
        UIEvent event = MakeEvent(EventMouseHover, m_hover, point);
        if (!Deliver(m_hover, event)) {
            return true;
        }
    }
    if (guard.Control()) {
        ShowToolTip(guard.Control());
    }
    return true;
}

bool CWindowHostUI::OnMouseLeave(WPARAM, LPARAM, LRESULT&) {
    HideToolTip();
    if (m_mouseTracking) {
        DeliveryGuard guard(this);
        // The mouse-move row at (-1, -1) hits nothing and so ends the hover.
        SendMessageW(m_window, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
        if (!guard.HostAlive()) {
            return false;
        }
    }
    m_mouseTracking = false;
    return false;
}

// The first steps of the three press rows: the window takes the native focus and the control
// under the point is found. Null when there is none or it belongs to another host.
CControlUI* CWindowHostUI::PressTarget(LPARAM lParam) {
    DeliveryGuard guard(this);
    ::SetFocus(m_window);
    if (!guard.HostAlive()) {
        return nullptr;  // a focus handler of the window losing the focus closed this one
    }
    m_lastMousePoint = PointOf(lParam);
    bool foreign = false;
    return HitOwnControl(m_lastMousePoint, foreign);
}

UIEvent CWindowHostUI::MakeButtonEvent(int type, CControlUI* control, WPARAM wParam, LPARAM lParam) const {
    UIEvent event = MakeEvent(type, control, m_lastMousePoint);
    event.keyState = LOWORD(wParam);
    event.wParam = wParam;
    event.lParam = lParam;
    return event;
}

// The control takes the focus and the mouse before it hears the press. Focus handlers may delete
// it or close the window, and then nothing more is sent. True when it is still there afterwards.
bool CWindowHostUI::PressControl(CControlUI* control, int type, WPARAM wParam, LPARAM lParam) {
    DeliveryGuard guard(this, control);
    control->SetFocus();
    if (!guard.Control()) {
        return false;
    }
    CaptureMouse();
    UIEvent event = MakeButtonEvent(type, control, wParam, lParam);
    return Deliver(control, event) && guard.Control();
}

bool CWindowHostUI::OnButtonDown(WPARAM wParam, LPARAM lParam, LRESULT&) {
    CControlUI* control = PressTarget(lParam);
    if (control) {
        m_pressed = control;
        PressControl(control, EventButtonDown, wParam, lParam);
    }
    return false;
}

// Windows sends down, up, double click, up; the double click stands for the second press but
// does not move the focus again.
bool CWindowHostUI::OnDoubleClick(WPARAM wParam, LPARAM lParam, LRESULT&) {
    CControlUI* control = PressTarget(lParam);
    if (!control) {
        return false;
    }
    CaptureMouse();
    DeliveryGuard guard(this, control);
    UIEvent event = MakeButtonEvent(EventDoubleClick, control, wParam, 0);
    event.wParam = 0;  // the double click carries only the key state
    if (Deliver(control, event) && guard.Control()) {
        m_pressed = control;
    }
    return false;
}

bool CWindowHostUI::OnButtonUp(WPARAM wParam, LPARAM lParam, LRESULT&) {
    m_lastMousePoint = PointOf(lParam);
    if (!m_pressed) {
        return false;
    }
    DeliveryGuard guard(this);
    ReleaseMouse();  // WM_CAPTURECHANGED may run anything; the pressed control is read again
    if (!guard.HostAlive() || !m_pressed) {
        return false;
    }
    CControlUI* control = m_pressed;
    UIEvent event = MakeButtonEvent(EventButtonUp, control, wParam, lParam);
    if (Deliver(control, event) && m_pressed == control) {
        m_pressed = nullptr;
    }
    return false;
}

bool CWindowHostUI::OnRightButtonDown(WPARAM wParam, LPARAM lParam, LRESULT&) {
    CControlUI* control = PressTarget(lParam);
    if (control && PressControl(control, EventRightButtonDown, wParam, lParam)) {
        m_pressed = control;
    }
    return false;
}

bool CWindowHostUI::OnContextMenu(WPARAM, LPARAM lParam, LRESULT&) {
    m_lastMousePoint = ClientPointOf(m_window, lParam);
    if (!m_pressed) {
        return false;
    }
    DeliveryGuard guard(this);
    ReleaseCapture();
    if (!guard.HostAlive() || !m_pressed) {
        return false;
    }
    m_mouseCaptured = false;
    CControlUI* control = m_pressed;
    UIEvent event = MakeEvent(EventContextMenu, control, m_lastMousePoint);
    event.lParam = reinterpret_cast<LPARAM>(control);
    if (Deliver(control, event) && m_pressed == control) {
        m_pressed = nullptr;
    }
    return false;
}

bool CWindowHostUI::OnMouseWheel(WPARAM wParam, LPARAM lParam, LRESULT&) {
    m_lastMousePoint = ClientPointOf(m_window, lParam);
    bool foreign = false;
    CControlUI* control = HitOwnControl(m_lastMousePoint, foreign);
    if (!control) {
        return false;
    }
    UIEvent event = MakeEvent(EventScrollWheel, control, POINT{0, 0});
    event.wParam = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
    event.lParam = lParam;
    event.keyState = CurrentKeyState();
    if (!Deliver(control, event)) {
        return false;
    }
    // Scrolling moves the content under a resting mouse: the hover is re-evaluated in place.
    SendMessageW(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(m_lastMousePoint.x, m_lastMousePoint.y));
    return false;
}

bool CWindowHostUI::OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT&) {
    if (LOWORD(lParam) != HTCLIENT) {
        return false;
    }
    if (m_mouseCaptured) {
        return true;
    }
    POINT point = {0, 0};
    GetCursorPos(&point);
    ScreenToClient(m_window, &point);
    bool foreign = false;
    CControlUI* control = HitOwnControl(point, foreign);
    if (!control || !(control->ControlFlags() & ControlFlagSetCursor)) {
        return false;
    }
    UIEvent event = MakeEvent(EventSetCursor, control, point);
    event.keyState = CurrentKeyState();
    event.wParam = wParam;
    event.lParam = lParam;
    Deliver(control, event);
    return true;
}
