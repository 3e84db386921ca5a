#pragma once
// One real window for the whole test program (a shown window costs seconds to destroy under
// Wine), and a fresh host bound to it for each case, so fonts, class defaults and images of one
// case never leak into the next.

#include <windows.h>

#include <vector>

#include "tests/controls/test_window.h"
#include "ui/controls/control.h"
#include "ui/core/window_host.h"

inline TestWindow& SharedWindow() {
    static TestWindow window(300, 160);
    return window;
}

class HostScope {
public:
    HostScope() {
        HWND window = SharedWindow().Handle();
        // Any size a previous case gave the window is undone, so size changes can be observed.
        SetWindowPos(window, nullptr, 0, 0, 123, 45, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
        m_host.AttachWindow(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_host));
    }
    ~HostScope() {
        HWND window = SharedWindow().Handle();
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&SharedWindow().Host()));
    }
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

    CWindowHostUI& Host() { return m_host; }
    HWND Window() const { return SharedWindow().Handle(); }

private:
    CWindowHostUI m_host;
};

// Every control of a tree, parents before children, in child order.
inline std::vector<CControlUI*> Preorder(CControlUI* root) {
    std::vector<CControlUI*> all;
    if (root) {
        root->FindControl(
            [](CControlUI* control, void* data) -> CControlUI* {
                static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
                return nullptr;
            },
            &all, FindMeFirst);
    }
    return all;
}
