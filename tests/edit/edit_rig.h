#pragma once
// One real window shared by every case of this program (a shown window costs about two
// seconds to destroy under Wine). Each case builds its tree from skin markup, installs it as
// the window's root and drives it with real window messages run through the hosts' loop stage.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/controls/test_window.h"
#include "ui/controls/container.h"
#include "ui/markup/skin_builder.h"

inline TestWindow& SharedWindow() {
    static TestWindow window(320, 200);
    return window;
}

// Dispatches the queued messages of the thread, as the modal loop does. WM_PAINT is left alone:
// painting is checked on canvases, and painting the window would give it a layered style.
inline void RunQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, WM_PAINT - 1, PM_REMOVE) ||
           PeekMessageW(&msg, nullptr, WM_PAINT + 1, 0xFFFFFFFF, PM_REMOVE)) {
        if (!CWindowHostUI::FilterQueuedMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// Storage for one control that is filled with a pattern when the control is deleted, so a
// write after deletion shows and a pointer read from it is garbage.
template <typename Control>
struct Poisoned : Control {
    static void* operator new(std::size_t size) { return size <= sizeof(storage) ? storage : nullptr; }
    static void operator delete(void* p) { std::memset(p, 0xA5, sizeof(Poisoned)); }
    static bool HoldsOnlyPoison() {
        for (std::size_t i = 0; i < sizeof(Poisoned); ++i) {
            if (storage[i] != 0xA5) {
                return false;
            }
        }
        return true;
    }
    alignas(16) static inline unsigned char storage[2048];
};

// Builds `children` (markup of the elements) into a vertical layout filling the window and
// installs it as the root; the previous tree is deleted while the queue runs.
inline CControlUI* InstallSkin(const std::wstring& children) {
    CWindowHostUI& host = SharedWindow().Host();
    std::wstring markup = L"<Window><VerticalLayout>" + children + L"</VerticalLayout></Window>";
    CControlUI* root = CSkinBuilder().Build(markup.c_str(), nullptr, nullptr, &host);
    host.AttachRoot(root);
    if (root) {
        root->SetPos(RECT{0, 0, 320, 200});
    }
    RunQueue();
    return root;
}

template <typename Control>
Control* Find(const wchar_t* name, const wchar_t* castName) {
    CControlUI* control = SharedWindow().Host().FindControlByName(name);
    return control ? static_cast<Control*>(control->CastTo(castName)) : nullptr;
}

inline LRESULT SendToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(SharedWindow().Handle(), message, wParam, lParam);
}

// A press and release of the left button at a client point of the shared window.
inline void Click(int x, int y) {
    SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendToWindow(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    RunQueue();
}

// The pixels (0xRRGGBB) of the control's item rectangle, row by row, painted on a white canvas.
inline std::vector<DWORD> PaintPixels(CControlUI& control) {
    TestCanvas canvas(320, 200);
    control.Paint(canvas.DC(), control.Pos());
    std::vector<DWORD> pixels;
    const RECT& rc = control.Pos();
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            pixels.push_back(canvas.Pixel(x, y));
        }
    }
    return pixels;
}
