// CWindowHostUI: notifications from controls to the window's listeners.

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
    // A listener may delete the sender or close the window (deleting this host): delivery stops
    // there, as the record would carry a dangling sender and the listener list is gone.
    DeliveryGuard guard(this, msg.sender);
    if (msg.sender) {
        msg.sender->RunNotifyListeners(msg);
    }
    // Listeners may add or remove listeners while they run. The list is walked as it was when
    // the notification started, skipping any listener that has been removed meanwhile (it may
    // already be gone).
    PointerArray snapshot(m_listeners);
    for (int i = 0; i < snapshot.GetSize(); ++i) {
        if (!guard.HostAlive() || (msg.sender && !guard.Control())) {
            return;
        }
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
