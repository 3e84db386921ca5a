// CWindowHostUI: the message table. Each native message of the window becomes events for the
// controls it concerns; notifications and colour requests of native child windows are
// reflected back to those children.

#include "ui/core/window_host.h"

#include "ui/controls/control.h"
#include "ui/core/window_dpi.h"

const CWindowHostUI::MessageTableEntry CWindowHostUI::kMessageTable[] = {
    {WM_MOUSEMOVE, &CWindowHostUI::OnMouseMove},
    {WM_MOUSEHOVER, &CWindowHostUI::OnMouseHover},
    {WM_MOUSELEAVE, &CWindowHostUI::OnMouseLeave},
    {WM_LBUTTONDOWN, &CWindowHostUI::OnButtonDown},
    {WM_LBUTTONDBLCLK, &CWindowHostUI::OnDoubleClick},
    {WM_LBUTTONUP, &CWindowHostUI::OnButtonUp},
    {WM_RBUTTONDOWN, &CWindowHostUI::OnRightButtonDown},
    {WM_CONTEXTMENU, &CWindowHostUI::OnContextMenu},
    {WM_MOUSEWHEEL, &CWindowHostUI::OnMouseWheel},
    {WM_SETCURSOR, &CWindowHostUI::OnSetCursor},
    {WM_KEYDOWN, &CWindowHostUI::OnKeyDown},
    {WM_KEYUP, &CWindowHostUI::OnKeyUp},
    {WM_CHAR, &CWindowHostUI::OnChar},
    {WM_SIZE, &CWindowHostUI::OnSize},
    {WM_CLOSE, &CWindowHostUI::OnClose},
    {WM_ERASEBKGND, &CWindowHostUI::OnEraseBackground},
    {WM_TIMER, &CWindowHostUI::OnTimer},
    {WM_PAINT, &CWindowHostUI::OnPaint},
    {WM_PRINTCLIENT, &CWindowHostUI::OnPrintClient},
    {WM_SYSCOMMAND, &CWindowHostUI::OnSysCommand},
    {WM_NOTIFY, &CWindowHostUI::OnNotify},
    {WM_COMMAND, &CWindowHostUI::OnCommand},
    {WM_CTLCOLOREDIT, &CWindowHostUI::OnEditColor},
    {WM_CTLCOLORSTATIC, &CWindowHostUI::OnStaticColor},
    {WM_GETMINMAXINFO, &CWindowHostUI::OnGetMinMaxInfo},
    {kDpiChangedMessage, &CWindowHostUI::OnDpiChanged},
    {kDeferredDeleteMessage, &CWindowHostUI::OnDeferredDelete},
};

CWindowHostUI::DeliveryGuard::DeliveryGuard(CWindowHostUI* host, CControlUI* control)
    : m_host(host), m_control(control), m_outer(host->m_guards) {
    host->m_guards = this;
}

CWindowHostUI::DeliveryGuard::~DeliveryGuard() {
    if (m_host) {
        m_host->m_guards = m_outer;
    }
}

bool CWindowHostUI::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!m_window) {
        return false;
    }
    if (OfferToFilters(m_filters, message, wParam, lParam, result)) {
        return true;
    }
    if (m_accessible.HandleMessage(message, wParam, lParam, result)) {
        return true;
    }
    for (const MessageTableEntry& entry : kMessageTable) {
        if (entry.message == message) {
            return (this->*entry.row)(wParam, lParam, result);
        }
    }
    return false;
}

bool CWindowHostUI::Deliver(CControlUI* target, UIEvent& event) {
    DeliveryGuard guard(this);
    target->DispatchEvent(event);
    return guard.HostAlive();
}

WORD CWindowHostUI::CurrentKeyState() {
    struct KeyBit {
        int key;
        WORD bit;
    };
    static const KeyBit kBits[] = {{VK_LBUTTON, KeyStateLeftButton},
                                   {VK_RBUTTON, KeyStateRightButton},
                                   {VK_SHIFT, KeyStateShift},
                                   {VK_CONTROL, KeyStateControl},
                                   {VK_MENU, KeyStateAlt}};
    WORD state = 0;
    for (const KeyBit& entry : kBits) {
        if (GetKeyState(entry.key) < 0) {
            state |= entry.bit;
        }
    }
    return state;
}

UIEvent CWindowHostUI::MakeEvent(int type, CControlUI* sender, POINT point) const {
    UIEvent event;
    event.type = type;
    event.sender = sender;
    event.point = point;
    event.timestamp = GetTickCount();
    return event;
}

bool CWindowHostUI::OnKeyDown(WPARAM wParam, LPARAM, LRESULT&) {
    if (m_focus) {
        CControlUI* target = m_focus;
        DeliveryGuard guard(this);
        SendKeyEvent(target, EventKeyDown, wParam);
        if (guard.HostAlive()) {
            m_keyTarget = m_focus;
        }
    }
    return false;
}

bool CWindowHostUI::OnKeyUp(WPARAM wParam, LPARAM, LRESULT&) {
    if (m_keyTarget) {
        CControlUI* target = m_keyTarget;
        m_keyTarget = nullptr;
        SendKeyEvent(target, EventKeyUp, wParam);
    }
    return false;
}

bool CWindowHostUI::OnChar(WPARAM wParam, LPARAM, LRESULT&) {
    if (m_focus) {
        SendKeyEvent(m_focus, EventChar, wParam);
    }
    return false;
}

bool CWindowHostUI::OnSize(WPARAM, LPARAM, LRESULT&) {
    if (m_focus) {
        UIEvent event = MakeEvent(EventWindowSize, m_focus, POINT{0, 0});
        if (!Deliver(m_focus, event)) {
            return true;
        }
    }
    if (m_root) {
        m_root->MarkDirty();
    }
    return true;
}

// The window is going: whatever is hovered or pressed is told so, as if the mouse had left and
// the button had been released, and the native focus goes back to the owner.
bool CWindowHostUI::OnClose(WPARAM, LPARAM, LRESULT&) {
    UIEvent event = MakeEvent(EventMouseLeave, m_hover, m_lastMousePoint);
    if (m_hover && !Deliver(m_hover, event)) {
        return false;
    }
    if (m_pressed) {
        event.type = EventButtonUp;
        event.sender = m_pressed;
        if (!Deliver(m_pressed, event)) {
            return false;
        }
    }
    DeliveryGuard guard(this);
    SetFocusControl(nullptr);
    if (!guard.HostAlive()) {
        return false;
    }
    HWND owner = GetWindow(m_window, GW_OWNER);
    if (owner) {
        ::SetFocus(owner);
    }
    return false;
}

bool CWindowHostUI::OnEraseBackground(WPARAM, LPARAM, LRESULT& result) {
    result = 1;  // the off-screen buffer covers every pixel: erasing would only flicker
    return true;
}

bool CWindowHostUI::OnTimer(WPARAM wParam, LPARAM, LRESULT&) {
    RouteTimer(wParam);
    return false;
}

bool CWindowHostUI::OnDeferredDelete(WPARAM, LPARAM, LRESULT&) {
    DeleteDeferredControls();
    return false;
}

bool CWindowHostUI::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (lParam == 0) {
        return true;
    }
    HWND from = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    return ReflectToChild(from, WM_NOTIFY + 0x2000, wParam, lParam, result);
}

bool CWindowHostUI::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (lParam == 0) {
        return false;  // a menu or accelerator command, not a child's
    }
    return ReflectToChild(reinterpret_cast<HWND>(lParam), WM_COMMAND + 0x2000, wParam, lParam, result);
}

bool CWindowHostUI::OnEditColor(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return lParam != 0 &&
           ReflectToChild(reinterpret_cast<HWND>(lParam), WM_CTLCOLOREDIT + 0x2000, wParam, lParam, result);
}

bool CWindowHostUI::OnStaticColor(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return lParam != 0 &&
           ReflectToChild(reinterpret_cast<HWND>(lParam), WM_CTLCOLORSTATIC + 0x2000, wParam, lParam, result);
}

// A native child (an edit box, say) answers its own notifications and colour requests: the
// parent sends them back to it under the reflected message number.
bool CWindowHostUI::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = SendMessageW(child, message, wParam, lParam);
    return true;
}

void CWindowHostUI::SendKeyEvent(CControlUI* target, int type, WPARAM wParam) {
    UIEvent event = MakeEvent(type, nullptr, m_lastMousePoint);
    event.key = static_cast<wchar_t>(wParam);
    event.keyState = CurrentKeyState();
    Deliver(target, event);
}
