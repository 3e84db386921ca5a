#pragma once
// CAccessibleBridge: what screen readers see of one window host. It answers WM_GETOBJECT for the
// client area with an IAccessible for the root of the control tree (through LresultFromObject),
// keeps one accessible object per control that a client has reached, gives each control a
// window-wide child id for its events (NotifyWinEvent), disconnects the object of a control
// that dies, and runs default actions after the call that asked for them has returned.
// Everything here runs on the window's thread.

#include <windows.h>

#include <unordered_map>
#include <vector>

#include "ui/util/wide_string.h"

class CControlUI;
class CControlAccessible;
class CWindowHostUI;

class CAccessibleBridge {
public:
    // The child id of the alert raised by RaiseAlert, below every control's id.
    static constexpr LONG kAlertChildId = -1;

    explicit CAccessibleBridge(CWindowHostUI* host) : m_host(host) {}
    // Every object still held by a client answers CO_E_OBJNOTCONNECTED from then on.
    ~CAccessibleBridge();
    CAccessibleBridge(const CAccessibleBridge&) = delete;
    CAccessibleBridge& operator=(const CAccessibleBridge&) = delete;

    // WM_GETOBJECT for the client area, and the posted message that runs a queued default
    // action; true when the message was answered here.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Sends a WinEvent about the control (EVENT_OBJECT_*), when the host has a window.
    void Raise(CControlUI* control, DWORD event);
    // Announces a message (a system alert) whose accessible object is named `text`.
    void RaiseAlert(const wchar_t* text);
    // The control is about to die: its object is disconnected and its id retired.
    void Forget(CControlUI* control);

    // ---- For the accessible objects ----
    CWindowHostUI* Host() const { return m_host; }
    HWND Window() const;
    // The control the client area stands for (the tree's root), or null.
    CControlUI* Root() const;
    // The object of a control (the client object for the root), made on first use; a new
    // reference, or null when memory runs out.
    CControlAccessible* ObjectFor(CControlUI* control);
    // The object of the last alert (a new reference), or null when none was raised.
    CControlAccessible* AlertObject();
    const CWideString& AlertText() const { return m_alertText; }
    // The window-wide id of a control (never 0, never a position); 0 when memory runs out.
    LONG ChildIdOf(CControlUI* control);
    // The live control that carries the id, or null.
    CControlUI* ControlOfChildId(LONG id) const;
    // Runs the control's default action once the current call has returned; false when the
    // action cannot be queued.
    bool QueueDefaultAction(CControlUI* control);

private:
    struct Entry {
        LONG id = 0;
        CControlAccessible* object = nullptr;  // one reference held here
    };
    Entry* EntryFor(CControlUI* control);
    bool AnswerGetObject(LPARAM objectId, WPARAM flags, LRESULT& result);
    void RunNextDefaultAction();
    static UINT DefaultActionMessage();

    CWindowHostUI* m_host;
    std::unordered_map<CControlUI*, Entry> m_entries;
    std::unordered_map<LONG, CControlUI*> m_controlsById;
    LONG m_nextId = kAlertChildId - 1;
    CControlAccessible* m_client = nullptr;
    CControlAccessible* m_alert = nullptr;
    CWideString m_alertText;
    std::vector<CControlUI*> m_pendingActions;
};
