#pragma once
// CEditWnd: the native edit box an edit field opens over itself while it has the focus. It is
// a superclass of the system edit class; the host reflects the box's notifications and colour
// requests back to it. The box closes itself when it loses the focus, and the object ends with
// its window. On a layered window it is a pop-up in screen coordinates, as a child window
// cannot show over a layered one.

#include <windows.h>

#include "ui/core/window_wnd.h"
#include "ui/draw/gdi_objects.h"

class CEditUI;

class CEditWnd final : public CWindowWnd {
public:
    explicit CEditWnd(CEditUI* owner);

    // Creates the box over its owner, fills it and gives it the focus. On failure the caller
    // deletes the object unless the owner's pointer to it was cleared meanwhile (a window that
    // failed after it began has ended, and its end deleted the object).
    bool Open();
    // The owner is being deleted: the box forgets it and closes, at once or, while a message of
    // the box is being handled, once the system edit procedure has returned.
    void Detach();
    // Moves the box to its owner's edit rectangle (no activation, no change of Z order).
    void FollowOwner();
    bool IsPopup() const { return m_popup; }

    const wchar_t* WindowClassName() const override;
    const wchar_t* SuperclassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;

private:
    friend class CEditUI;  // deletes a box whose window never began
    ~CEditWnd() = default;

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnReflectedCommand(WPARAM wParam);
    LRESULT OnReflectedColor(HDC dc);
    void SendOwnerNotification(const wchar_t* type);
    // The owner's edit rectangle, in screen coordinates for a pop-up.
    RECT PlacementRect() const;
    HFONT OwnerFont() const;

    CEditUI* m_owner;
    CGdiObject<HBRUSH> m_backBrush;
    bool m_initialised = false;
    bool m_popup = false;
    // Messages of the box being handled right now (they nest), and whether its window has ended
    // meanwhile: the object is deleted only once the outermost message has returned.
    int m_depth = 0;
    bool m_ended = false;
};
