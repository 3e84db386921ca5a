// CWindowHostUI: notifications from controls to the window's listeners, and focus moves.

#include "ui/core/window_host.h"

#include "ui/controls/control.h"

void CWindowHostUI::SendNotification(CControlUI* control, const wchar_t* type, WPARAM wParam, LPARAM lParam) {
    NotifyMsg msg;
    msg.type = type ? type : L"";
    msg.sender = control;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotification(msg);
}

void CWindowHostUI::SendNotification(NotifyMsg& msg) {
    msg.point = m_lastMousePoint;
    msg.timestamp = GetTickCount();
    if (m_usesVirtualWindows && msg.sender) {
        msg.virtualWindow = msg.sender->VirtualWindowName();
    }
    if (msg.sender) {
        msg.sender->RunNotifyListeners(msg);
    }
    // Listeners may add or remove listeners while they run. The list is walked as it was when
    // the notification started, skipping any listener that has been removed meanwhile (it may
    // already be gone).
    PointerArray snapshot(m_listeners);
    for (int i = 0; i < snapshot.GetSize(); ++i) {
        auto* listener = static_cast<INotifyUI*>(snapshot.GetAt(i));
        if (m_listeners.Find(listener) >= 0) {
            listener->HandleNotification(msg);
        }
    }
}

bool CWindowHostUI::AddNotifyListener(INotifyUI* listener) {
    return m_listeners.Add(listener);
}

bool CWindowHostUI::RemoveNotifyListener(INotifyUI* listener) {
    return m_listeners.RemoveValue(listener);
}

namespace {

void SendFocusEvent(CControlUI* target, int type, CControlUI* sender) {
    UIEvent event;
    event.type = type;
    event.sender = sender;
    event.timestamp = GetTickCount();
    target->DispatchEvent(event);
}

}  // namespace

void CWindowHostUI::SetFocusControl(CControlUI* control) {
    if (m_window && GetFocus() != m_window && control != m_focus) {
        ::SetFocus(m_window);
    }
    if (control == m_focus) {
        return;
    }
    if (m_focus) {
        CControlUI* old = m_focus;
        SendFocusEvent(old, EventFocusLost, control);
        SendNotification(old, L"killfocus");
        m_focus = nullptr;
    }
    if (!control || control->Host() != this || !control->IsVisible() || !control->IsEnabled()) {
        return;
    }
    m_focus = control;
    SendFocusEvent(control, EventFocusGained, control);
    SendNotification(control, L"setfocus");
}
