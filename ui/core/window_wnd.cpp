// CWindowWnd: class registration, creation and the window-level services (closing, centring).
// The window procedures live in window_wnd_proc.cpp and the modal loop in window_wnd_modal.cpp.
#include "ui/core/window_wnd.h"

#include "ui/core/window_host.h"
#include "ui/core/window_wnd_placement.h"

namespace {

// A class name that is taken makes RegisterClass fail with ERROR_CLASS_ALREADY_EXISTS; that
// is the normal case for the second window of a kind, so it counts as success.
bool RegisteredOrExisting(ATOM atom) {
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

CWindowWnd::CWindowWnd() : windowHandle(nullptr), previousProc(::DefWindowProcW) {}

const wchar_t* CWindowWnd::SuperclassName() const {
    return nullptr;
}

UINT CWindowWnd::ClassStyle() const {
    return 0;
}

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(previousProc, windowHandle, message, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND /*window*/) {}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                        int x, int y, int width, int height) {
    // A second window for a bound object would leave two windows pointing at it, and the
    // first one's end would unbind (or delete) the object under the second.
    if (windowHandle != nullptr && ::IsWindow(windowHandle)) {
        return nullptr;
    }
    const bool registered = SuperclassName() != nullptr ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) {
        return nullptr;
    }
    HWND window = ::CreateWindowExW(exStyle, WindowClassName(), title, style, x, y, width, height,
                                    parent, nullptr, CWindowHostUI::ModuleInstance(), this);
    // When creation fails after WM_NCCREATE, the window has already been destroyed and
    // OnFinalMessage has run, possibly deleting this object: only a live window proves that
    // the object still exists. (The procedure has stored the handle already in that case.)
    if (window != nullptr) {
        windowHandle = window;
    }
    return window;
}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSW windowClass = {};
    windowClass.style = ClassStyle();
    windowClass.lpfnWndProc = &CWindowWnd::WindowProcedure;
    windowClass.hInstance = CWindowHostUI::ModuleInstance();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = WindowClassName();
    return RegisteredOrExisting(::RegisterClassW(&windowClass));
}

// The new class copies everything of the system class (its extra bytes included, which the
// system procedure relies on) except the procedure, the instance and the name.
bool CWindowWnd::RegisterSuperclass() {
    const HINSTANCE instance = CWindowHostUI::ModuleInstance();
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!::GetClassInfoExW(nullptr, SuperclassName(), &windowClass) &&
        !::GetClassInfoExW(instance, SuperclassName(), &windowClass)) {
        return false;
    }
    previousProc = windowClass.lpfnWndProc;
    windowClass.hInstance = instance;
    windowClass.lpfnWndProc = &CWindowWnd::ControlProcedure;
    windowClass.lpszClassName = WindowClassName();
    return RegisteredOrExisting(::RegisterClassExW(&windowClass));
}

void CWindowWnd::Close(UINT result) {
    if (windowHandle != nullptr && ::IsWindow(windowHandle)) {
        ::PostMessageW(windowHandle, WM_CLOSE, result, 0);
    }
}

void CWindowWnd::CenterWindow() {
    if (windowHandle == nullptr || !::IsWindow(windowHandle)) {
        return;
    }
    RECT windowRect;
    ::GetWindowRect(windowHandle, &windowRect);
    const HWND owner = ::GetWindow(windowHandle, GW_OWNER);

    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner != nullptr ? owner : windowHandle, MONITOR_DEFAULTTONEAREST),
                      &monitor);
    RECT reference = monitor.rcWork;
    if (owner != nullptr) {
        ::GetWindowRect(owner, &reference);
    }
    const POINT corner = CenteredWindowPosition(windowRect, reference, monitor.rcWork);
    ::SetWindowPos(windowHandle, nullptr, corner.x, corner.y, -1, -1,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
