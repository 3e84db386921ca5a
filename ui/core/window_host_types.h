#pragma once
// The records and listener interfaces that travel between a window host and its controls:
// UIEvent (host -> control), NotifyMsg (control -> window) and the three listener interfaces
// a window can register with its host.

#include <windows.h>

#include "ui/util/wide_string.h"

class CControlUI;

// Controls test ranges (keyboard strictly between 2 and 7, mouse strictly between 8 and 19),
// so the numbering is fixed.
enum UIEventType {
    EventKeyFirst = 2,
    EventKeyDown = 3,
    EventKeyUp = 4,
    EventChar = 5,
    EventSysKey = 6,
    EventKeyLast = 7,
    EventMouseFirst = 8,
    EventMouseMove = 9,
    EventMouseLeave = 10,
    EventMouseEnter = 11,
    EventMouseHover = 12,
    EventButtonDown = 13,
    EventButtonUp = 14,
    EventRightButtonDown = 15,
    EventDoubleClick = 16,
    EventContextMenu = 17,
    EventScrollWheel = 18,
    EventMouseLast = 19,
    EventFocusLost = 20,
    EventFocusGained = 21,
    EventWindowSize = 22,
    EventSetCursor = 23,
    EventTimer = 24,
};

inline bool IsMouseEventType(int type) {
    return type > EventMouseFirst && type < EventMouseLast;
}

inline bool IsKeyEventType(int type) {
    return type > EventKeyFirst && type < EventKeyLast;
}

// Key state word bits.
enum UIKeyState : WORD {
    KeyStateLeftButton = 0x01,
    KeyStateRightButton = 0x02,
    KeyStateShift = 0x04,
    KeyStateControl = 0x08,
    KeyStateAlt = 0x20,
};

struct UIEvent {
    int type = 0;
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;
    POINT point = {0, 0};
    wchar_t key = 0;
    WORD keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Lives on the sender's stack for the duration of a synchronous delivery; listeners copy
// whatever they want to keep.
struct NotifyMsg {
    CWideString type;
    CWideString virtualWindow;
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;
    POINT point = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual void HandleNotification(NotifyMsg& msg) = 0;

protected:
    ~INotifyUI() = default;
};

class IMessageFilterUI {
public:
    virtual LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator {
public:
    // 0 means the message was translated and must go no further.
    virtual LRESULT TranslateShortcut(MSG* msg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};
