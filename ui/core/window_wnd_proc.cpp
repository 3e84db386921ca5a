// The two window procedures shared by every CWindowWnd: they find the object of a window and
// hand it the window's messages, from WM_NCCREATE up to WM_NCDESTROY.
#include "ui/core/window_wnd.h"

#include <new>

namespace {

// Property name under which superclassed windows keep their object. A system class (the edit
// box, for one) may use the user-data slot itself, so superclasses must not take it.
const wchar_t kObjectProperty[] = L"WndX";

CWindowWnd* StoredObject(bool superclass, HWND window) {
    if (superclass) {
        return static_cast<CWindowWnd*>(::GetPropW(window, kObjectProperty));
    }
    return reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

void StoreObject(bool superclass, HWND window, CWindowWnd* object) {
    if (superclass) {
        ::SetPropW(window, kObjectProperty, object);
    } else {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
}

// The property is removed rather than set to null: a window must drop its properties before it
// is gone, and a missing property reads as null just the same.
void ForgetObject(bool superclass, HWND window) {
    if (superclass) {
        ::RemovePropW(window, kObjectProperty);
    } else {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
}

}  // namespace

LRESULT CALLBACK CWindowWnd::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteWithoutUnwinding(false, window, message, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteWithoutUnwinding(true, window, message, wParam, lParam);
}

// The one rule for running out of memory inside a message. The framework makes its own objects
// with nothrow new and reports a failed allocation as false or null. What can still throw (the
// standard library's strings and containers, in the framework or in a window's handlers) ends
// here: an exception must never unwind through the system's frames that called the window
// procedure. The message then counts as failed: creation is refused, anything else answers 0.
LRESULT CWindowWnd::RouteWithoutUnwinding(bool superclass, HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    try {
        return Route(superclass, window, message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        return message == WM_CREATE ? -1 : 0;
    }
}

LRESULT CWindowWnd::Route(bool superclass, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* object = nullptr;
    if (message == WM_NCCREATE) {
        object = Bind(superclass, window, lParam);
    } else {
        object = StoredObject(superclass, window);
        if (object != nullptr && message == WM_NCDESTROY) {
            return object->Finish(superclass, window, wParam, lParam);
        }
    }
    if (object == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return object->HandleMessage(message, wParam, lParam);
}

// The object arrives as the creation parameter; from here on it knows its window, so it can
// already use the handle while it handles WM_NCCREATE and WM_CREATE.
CWindowWnd* CWindowWnd::Bind(bool superclass, HWND window, LPARAM createParams) {
    const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(createParams);
    CWindowWnd* object = create != nullptr ? static_cast<CWindowWnd*>(create->lpCreateParams) : nullptr;
    if (object != nullptr) {
        object->windowHandle = window;
        StoreObject(superclass, window, object);
    }
    return object;
}

// The last message of the window. The object is unbound before OnFinalMessage, which may
// delete it; nothing of the object is used after that call.
LRESULT CWindowWnd::Finish(bool superclass, HWND window, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ::CallWindowProcW(previousProc, window, WM_NCDESTROY, wParam, lParam);
    ForgetObject(superclass, window);
    windowHandle = nullptr;
    OnFinalMessage(window);
    return result;
}
