#pragma once
// Shared pieces of the layout tests: a tab stop, a log of "tabselect" and building markup into
// a fresh host of the program's one window.

#include <windows.h>

#include <string>

#include "tests/builder/host_scope.h"
#include "ui/controls/container.h"
#include "ui/markup/skin_builder.h"

class TabStop : public CControlUI {
public:
    explicit TabStop(const wchar_t* name) { SetName(name); }
    UINT ControlFlags() const override { return ControlFlagTabStop; }
};

// "new,old;" for each "tabselect" and "click;" for each click; every notification also goes to
// `onNote`.
class NoteLog : public INotifyUI {
public:
    void HandleNotification(NotifyMsg& msg) override {
        if (msg.type == L"click") {
            text += L"click;";
        } else if (msg.type == L"tabselect") {
            text += std::to_wstring(msg.wParam) + L"," + std::to_wstring(static_cast<int>(msg.lParam)) + L";";
        }
        if (onNote) {
            onNote(msg);
        }
    }
    std::wstring text;
    void (*onNote)(NotifyMsg& msg) = nullptr;
};

inline CControlUI* InstallSkin(CWindowHostUI& host, const wchar_t* markup) {
    CSkinBuilder builder;
    CControlUI* root = builder.Build(markup, nullptr, nullptr, &host);
    host.AttachRoot(root);
    return root;
}

inline IContainerUI* ContainerOf(CControlUI* control) {
    return static_cast<IContainerUI*>(control->CastTo(L"IContainer"));
}

// Paints the window now: the pending layout and focus step run first.
inline void PaintNow(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}
