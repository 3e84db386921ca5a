// CAccessibleBridge: the window's answer to WM_GETOBJECT, its accessible objects and its events.

#include "ui/accessibility/accessible_bridge.h"

#include <oleacc.h>

#include <new>

#include "ui/accessibility/accessible_tree.h"
#include "ui/accessibility/control_accessible.h"
#include "ui/controls/control.h"
#include "ui/core/window_host.h"

namespace {

void DisconnectAndRelease(CControlAccessible*& object) {
    if (object) {
        object->Disconnect();
        object->Release();
        object = nullptr;
    }
}

// Only controls of the installed tree are announced: the skin builder lends its host to
// controls while it applies their attributes, and a tree it builds may never be installed
// (and then dies without telling the host).
bool IsInTree(CControlUI* control, CControlUI* root) {
    while (control && control != root) {
        control = TreeParentOf(control);
    }
    return control != nullptr;
}

}  // namespace

CAccessibleBridge::~CAccessibleBridge() {
    for (auto& entry : m_entries) {
        DisconnectAndRelease(entry.second.object);
    }
    DisconnectAndRelease(m_client);
    DisconnectAndRelease(m_alert);
}

HWND CAccessibleBridge::Window() const {
    return m_host->WindowHandle();
}

CControlUI* CAccessibleBridge::Root() const {
    return m_host->Root();
}

UINT CAccessibleBridge::DefaultActionMessage() {
    static const UINT message = RegisterWindowMessageW(L"UIAccessibleDefaultAction");
    return message;
}

bool CAccessibleBridge::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_GETOBJECT) {
        return AnswerGetObject(lParam, wParam, result);
    }
    if (message != 0 && message == DefaultActionMessage()) {
        result = 0;
        RunNextDefaultAction();  // may end the host: nothing may follow
        return true;
    }
    return false;
}

// Only the client area is answered here; the window's frame and the system's other objects
// stay with the system.
bool CAccessibleBridge::AnswerGetObject(LPARAM objectId, WPARAM flags, LRESULT& result) {
    if (static_cast<LONG>(static_cast<DWORD>(objectId)) != OBJID_CLIENT) {
        return false;
    }
    if (!m_client) {
        m_client = CControlAccessible::Create(this, CControlAccessible::Kind::Client, nullptr);
        if (!m_client) {
            return false;
        }
    }
    const LRESULT answer = LresultFromObject(IID_IAccessible, flags, m_client);
    if (FAILED(static_cast<HRESULT>(answer))) {
        return false;
    }
    result = answer;
    return true;
}

CAccessibleBridge::Entry* CAccessibleBridge::EntryFor(CControlUI* control) {
    try {
        Entry& entry = m_entries[control];
        if (entry.id == 0) {
            m_controlsById[m_nextId] = control;
            entry.id = m_nextId--;
        }
        return &entry;
    } catch (const std::bad_alloc&) {
        m_entries.erase(control);
        return nullptr;
    }
}

LONG CAccessibleBridge::ChildIdOf(CControlUI* control) {
    Entry* entry = EntryFor(control);
    return entry ? entry->id : 0;
}

CControlUI* CAccessibleBridge::ControlOfChildId(LONG id) const {
    auto found = m_controlsById.find(id);
    return found == m_controlsById.end() ? nullptr : found->second;
}

CControlAccessible* CAccessibleBridge::ObjectFor(CControlUI* control) {
    CControlAccessible** slot = &m_client;
    if (control != Root()) {
        Entry* entry = EntryFor(control);
        if (!entry) {
            return nullptr;
        }
        slot = &entry->object;
    }
    if (!*slot) {
        const auto kind = control == Root() ? CControlAccessible::Kind::Client : CControlAccessible::Kind::Control;
        *slot = CControlAccessible::Create(this, kind, control);
    }
    if (*slot) {
        (*slot)->AddRef();
    }
    return *slot;
}

CControlAccessible* CAccessibleBridge::AlertObject() {
    if (m_alertText.IsEmpty()) {
        return nullptr;
    }
    if (!m_alert) {
        m_alert = CControlAccessible::Create(this, CControlAccessible::Kind::Alert, nullptr);
    }
    if (m_alert) {
        m_alert->AddRef();
    }
    return m_alert;
}

void CAccessibleBridge::Forget(CControlUI* control) {
    auto found = m_entries.find(control);
    if (found != m_entries.end()) {
        DisconnectAndRelease(found->second.object);
        m_controlsById.erase(found->second.id);
        m_entries.erase(found);
    }
    for (auto it = m_pendingActions.begin(); it != m_pendingActions.end();) {
        it = *it == control ? m_pendingActions.erase(it) : it + 1;
    }
}

void CAccessibleBridge::Raise(CControlUI* control, DWORD event) {
    HWND window = Window();
    if (!window || !control || !IsWinEventHookInstalled(event)) {
        return;
    }
    CControlUI* root = Root();
    if (!IsInTree(control, root)) {
        return;
    }
    if (control != root && IsSkippedForAccessibility(control)) {
        // Not shown itself: what changes is the list of children of its shown parent.
        if (event != EVENT_OBJECT_SHOW && event != EVENT_OBJECT_HIDE) {
            return;
        }
        control = AccessibleParentOf(control, root);
        event = EVENT_OBJECT_REORDER;
        if (!control) {
            return;
        }
    }
    // An edit's text is its value; its name comes from elsewhere.
    if (event == EVENT_OBJECT_NAMECHANGE && control->AccessibleRole() == ROLE_SYSTEM_TEXT) {
        event = EVENT_OBJECT_VALUECHANGE;
    }
    const LONG id = control == root ? CHILDID_SELF : ChildIdOf(control);
    if (control == root || id != 0) {
        NotifyWinEvent(event, window, OBJID_CLIENT, id);
    }
}

void CAccessibleBridge::RaiseAlert(const wchar_t* text) {
    m_alertText = text ? text : L"";
    HWND window = Window();
    if (window && !m_alertText.IsEmpty()) {
        NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, kAlertChildId);
    }
}

bool CAccessibleBridge::QueueDefaultAction(CControlUI* control) {
    try {
        m_pendingActions.push_back(control);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!PostMessageW(Window(), DefaultActionMessage(), 0, 0)) {
        m_pendingActions.pop_back();
        return false;
    }
    return true;
}

void CAccessibleBridge::RunNextDefaultAction() {
    if (m_pendingActions.empty()) {
        return;
    }
    CControlUI* control = m_pendingActions.front();
    m_pendingActions.erase(m_pendingActions.begin());
    control->DoAccessibleDefaultAction();
}
