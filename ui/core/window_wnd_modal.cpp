// The modal message loop: the one loop of the UI thread.
#include "ui/core/window_host.h"
#include "ui/core/window_wnd.h"

namespace {

// Gives the owner back its input before the modal window goes away. Done as soon as the
// WM_CLOSE is seen: if the owner were still disabled when the modal window is destroyed,
// Windows would activate some other application's window instead of the owner.
void ReleaseOwner(HWND owner) {
    if (owner != nullptr) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
}

}  // namespace

// Everything the loop needs is copied out of the object before the first dispatch:
// OnFinalMessage runs inside DispatchMessageW and may delete the object, so `this` is never
// read inside or after the loop. The window's existence is tested through the kept handle;
// window handles carry a reuse count, so a destroyed window's handle does not come back to
// life as another window's between two turns of the loop.
UINT CWindowWnd::ShowModal() {
    const HWND window = windowHandle;
    if (window == nullptr || !::IsWindow(window)) {
        return 0;
    }
    const HWND owner = ::GetWindow(window, GW_OWNER);
    ::ShowWindow(window, SW_SHOWNORMAL);
    if (owner != nullptr) {
        ::EnableWindow(owner, FALSE);
    }

    UINT result = 0;
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    while (::IsWindow(window)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == window) {
            result = static_cast<UINT>(msg.wParam);
            ReleaseOwner(owner);
        }
        if (!CWindowHostUI::FilterQueuedMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    ReleaseOwner(owner);
    // WM_QUIT belongs to whichever loop runs outermost; hand it on so that loop ends too.
    if (quit) {
        ::PostQuitMessage(static_cast<int>(quitCode));
    }
    return result;
}
