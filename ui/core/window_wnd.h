#pragma once
// CWindowWnd: ties one object to one native window. The class is registered on first use,
// the window is created with the object as its creation parameter, and every message of the
// window reaches the object's HandleMessage until WM_NCDESTROY, after which OnFinalMessage
// tells the object that the window is gone (a derived class may delete itself there).
//
// The object is not owned by its window; it must outlive the window or delete itself in
// OnFinalMessage. The destructor is protected and not virtual: an object is never deleted
// through a CWindowWnd pointer, and derived classes that need polymorphic deletion declare
// their own virtual destructor.

#include <windows.h>

class CWindowWnd {
public:
    CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // Creates the native window. Null when the class cannot be registered, when the system
    // refuses the window, or when this object is already bound to a live window.
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                int width = CW_USEDEFAULT, int height = CW_USEDEFAULT);

    // Shows the window and runs a message loop until the window no longer exists (or WM_QUIT
    // arrives, which is posted again afterwards). Returns the wParam of the last WM_CLOSE for
    // this window taken from the queue, 0 if none. The owner is disabled meanwhile.
    UINT ShowModal();

    // Centres the window over its owner, or on its monitor's work area when it has none, and
    // keeps it inside that work area.
    void CenterWindow();

    // Posts WM_CLOSE with wParam = result when the window exists.
    void Close(UINT result = IDOK);

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    // Null before creation and again once WM_NCDESTROY has been handled.
    HWND WindowHandle() const { return windowHandle; }

    virtual const wchar_t* WindowClassName() const = 0;
    virtual const wchar_t* SuperclassName() const;  // null: register an own class
    virtual UINT ClassStyle() const;
    // Default: the previous procedure (DefWindowProcW, or the system class's procedure).
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs after WM_NCDESTROY, once WindowHandle() is null; the object may delete itself here.
    virtual void OnFinalMessage(HWND window);

    // Installed by RegisterWindowClass (object in the user-data slot) and RegisterSuperclass
    // (object in the window property "WndX", because the system class may use the slot).
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    ~CWindowWnd() = default;

    WNDPROC PreviousProc() const { return previousProc; }

private:
    // `superclass` chooses where the object pointer lives: the property or the user-data slot.
    static LRESULT RouteWithoutUnwinding(bool superclass, HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam);
    static LRESULT Route(bool superclass, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static CWindowWnd* Bind(bool superclass, HWND window, LPARAM createParams);
    LRESULT Finish(bool superclass, HWND window, WPARAM wParam, LPARAM lParam);

    HWND windowHandle;
    WNDPROC previousProc;
};
