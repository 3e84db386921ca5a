#pragma once
// One real window shared by the input tests, a tree of probe controls that log what reaches
// them, and helpers that send or post real messages. A deleted probe's storage is not freed but
// poisoned, so an event the host still sends it crashes the test instead of passing by luck.

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/controls/test_window.h"
#include "ui/controls/layouts.h"

using Log = std::vector<std::wstring>;
inline Log g_log;

class Probe : public CControlUI {
public:
    explicit Probe(const wchar_t* name, UINT flags = 0, const wchar_t* className = L"ProbeUI")
        : m_flags(flags), m_className(className) {
        SetName(name);
        SetFixedWidth(50);
    }
    static void* operator new(std::size_t size) { return std::malloc(size); }
    static void operator delete(void* p, std::size_t size) { std::memset(p, 0x5A, size); }

    UINT ControlFlags() const override { return m_flags; }
    const wchar_t* ClassName() const override { return m_className; }
    bool Activate() override {
        g_log.push_back(std::wstring(Name().GetData()) + L":activate");
        return CControlUI::Activate();
    }
    void HandleEvent(UIEvent& event) override {
        static const wchar_t* const kNames[] = {
            L"",      L"",      L"",      L"keydown", L"keyup", L"char",   L"syskey", L"",    L"",
            L"move",  L"leave", L"enter", L"hover",   L"down",  L"up",     L"rdown",  L"dbl", L"ctxmenu",
            L"wheel", L"",      L"lost",  L"gained",  L"size",  L"cursor", L"timer"};
        g_log.push_back(std::wstring(Name().GetData()) + L":" + kNames[event.type]);
        last = event;
        if (onEvent && onEvent(event)) {
            return;  // the action may have deleted this control
        }
        CControlUI::HandleEvent(event);
    }

    UIEvent last;
    // Returns true when it did something after which this control must not be touched.
    std::function<bool(UIEvent&)> onEvent;

private:
    UINT m_flags;
    const wchar_t* m_className;
};

// Logs notifications as "sender:type".
class NotifyRecorder : public INotifyUI {
public:
    void HandleNotification(NotifyMsg& msg) override {
        g_log.push_back(std::wstring(msg.sender ? msg.sender->Name().GetData() : L"-") + L":" +
                        msg.type.GetData());
        if (onNotify) {
            onNotify(msg);
        }
    }
    std::function<void(NotifyMsg&)> onNotify;
};

inline TestWindow& SharedWindow() {
    static TestWindow window(300, 200);
    return window;
}

// Dispatches every queued message of the thread through the hosts' loop stage, as the modal
// loop does.
inline void RunQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!CWindowHostUI::FilterQueuedMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// A fresh horizontal row of probes, 50 pixels each, as the root of the shared window's host.
inline CHorizontalLayoutUI* InstallRow(std::initializer_list<CControlUI*> children) {
    auto* root = new CHorizontalLayoutUI;
    for (CControlUI* child : children) {
        root->Add(child);
    }
    CWindowHostUI& host = SharedWindow().Host();
    host.AttachRoot(root);
    root->SetPos(RECT{0, 0, 300, 200});
    RunQueue();  // deletes the previous tree and drains stray mouse-leave messages
    g_log.clear();
    return root;
}

inline LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(SharedWindow().Handle(), message, wParam, lParam);
}

inline LRESULT SendMouse(UINT message, int x, int y, WPARAM wParam = 0) {
    return Send(message, wParam, MAKELPARAM(x, y));
}

// Screen-coordinate messages (wheel, context menu) at a client point.
inline LRESULT SendScreenMouse(UINT message, int x, int y, WPARAM wParam = 0) {
    POINT point = {x, y};
    ClientToScreen(SharedWindow().Handle(), &point);
    return Send(message, wParam, MAKELPARAM(point.x, point.y));
}
