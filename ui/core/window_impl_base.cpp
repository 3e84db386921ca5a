// WindowImplBase: the message dispatcher, the default handlers, the notify map with the
// standard caption buttons, and the listener interfaces. Skin building is in
// window_impl_base_skin.cpp, the borderless frame in window_impl_base_frame.cpp.

#include "ui/core/window_impl_base.h"

#include "ui/controls/control.h"

namespace {

const NotifyMapEntry kWindowEntries[] = {
    {L"click", L"", NotifyHandlerMessage, nullptr, AsMessageHandler(&WindowImplBase::OnClick)},
    {L"", L"", NotifyHandlerEnd, nullptr, nullptr},
};

const NotifyMap kWindowMap = {&CNotifyPump::ClassNotifyMap, kWindowEntries};

}  // namespace

namespace {

const WindowImplBase::MessageHandlerEntry kMessageEntries[] = {
    {WM_CREATE, &WindowImplBase::OnCreate},
    {WM_DESTROY, &WindowImplBase::OnDestroy},
    {WM_SIZE, &WindowImplBase::OnSize},
    {WM_SETFOCUS, &WindowImplBase::OnSetFocus},
    {WM_KILLFOCUS, &WindowImplBase::OnKillFocus},
    {WM_CLOSE, &WindowImplBase::OnClose},
    {WM_GETMINMAXINFO, &WindowImplBase::OnGetMinMaxInfo},
    {WM_NCCALCSIZE, &WindowImplBase::OnNcCalcSize},
    {WM_NCHITTEST, &WindowImplBase::OnNcHitTest},
    {WM_NCPAINT, &WindowImplBase::OnNcPaint},
    {WM_NCACTIVATE, &WindowImplBase::OnNcActivate},
    {WM_KEYDOWN, &WindowImplBase::OnKeyDown},
    {WM_CHAR, &WindowImplBase::OnChar},
    {WM_SYSCOMMAND, &WindowImplBase::OnSysCommand},
    {WM_MOUSEMOVE, &WindowImplBase::OnMouseMove},
    {WM_LBUTTONDOWN, &WindowImplBase::OnLButtonDown},
    {WM_LBUTTONUP, &WindowImplBase::OnLButtonUp},
    {WM_MOUSEWHEEL, &WindowImplBase::OnMouseWheel},
    {WM_MOUSEHOVER, &WindowImplBase::OnMouseHover},
    {0, nullptr},
};

const WindowImplBase::MessageTable kMessageTable = {nullptr, kMessageEntries};

}  // namespace

const WindowImplBase::MessageTable* WindowImplBase::ClassMessageTable() {
    return &kMessageTable;
}

const WindowImplBase::MessageTable* WindowImplBase::OwnMessageTable() const {
    return ClassMessageTable();
}

WindowImplBase::MessageHandler WindowImplBase::FindHandler(const MessageHandlerEntry* table, UINT message) {
    for (const MessageHandlerEntry* entry = table; entry->handler; ++entry) {
        if (entry->message == message) {
            return entry->handler;
        }
    }
    return nullptr;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Dispatch(message, wParam, lParam);
}

LRESULT WindowImplBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    MessageHandler handler = nullptr;
    for (const MessageTable* table = OwnMessageTable(); table && !handler;
         table = table->baseTable ? table->baseTable() : nullptr) {
        handler = FindHandler(table->entries, message);
    }
    bool handled = handler != nullptr;
    LRESULT result = 0;
    if (handler) {
        result = (this->*handler)(message, wParam, lParam, handled);
    }
    if (handled) {
        return result;
    }
    result = HandleOtherMessage(message, wParam, lParam, handled);
    if (handled) {
        return result;
    }
    if (host.ProcessMessage(message, wParam, lParam, result)) {
        return result;
    }
    return ::CallWindowProcW(PreviousProc(), WindowHandle(), message, wParam, lParam);
}

UINT WindowImplBase::ClassStyle() const {
    return CS_DBLCLKS;
}

void WindowImplBase::OnFinalMessage(HWND /*window*/) {
    host.RemovePreFilter(this);
    host.RemoveNotifyListener(this);
    host.ForgetControl(host.Root());
}

void WindowImplBase::OnSkinBuilt() {}

void WindowImplBase::OnClick(NotifyMsg& msg) {
    if (!msg.sender) {
        return;
    }
    const CWideString name = msg.sender->Name();
    const HWND window = WindowHandle();
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"minbtn") {
        ::SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        ::SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        ::SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

bool WindowImplBase::HandleDefaultKey(WPARAM key) {
    return key == VK_ESCAPE;
}

int WindowImplBase::SkinSource() const {
    return SkinFromFile;
}

const wchar_t* WindowImplBase::SkinArchiveFileName() const {
    return L"";
}

const wchar_t* WindowImplBase::SkinResourceId() const {
    return L"";
}

namespace {

LRESULT Unhandled(bool& handled) {
    handled = false;
    return 0;
}

}  // namespace

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}
LRESULT WindowImplBase::HandleOtherMessage(UINT, WPARAM, LPARAM, bool& handled) {
    return Unhandled(handled);
}

// The frame's own painting would draw a native caption and border over the skin.
LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&) {
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    const HWND window = WindowHandle();
    if (wParam == SC_CLOSE) {
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    const bool wasMaximized = ::IsZoomed(window) != FALSE;
    const LRESULT result = ::CallWindowProcW(PreviousProc(), window, message, wParam, lParam);
    if ((::IsZoomed(window) != FALSE) != wasMaximized) {
        SyncMaximizeButtons(wasMaximized);
    }
    if ((wParam & 0xFFF0) == SC_RESTORE) {
        handled = false;
    }
    return result;
}

void WindowImplBase::SyncMaximizeButtons(bool wasMaximized) {
    CControlUI* maximize = host.FindControlByName(L"maxbtn");
    CControlUI* restore = host.FindControlByName(L"restorebtn");
    if (maximize && restore) {
        maximize->SetVisible(wasMaximized);
        restore->SetVisible(!wasMaximized);
    }
}

DWORD WindowImplBase::WindowStyle() const {
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(WindowHandle(), GWL_STYLE));
    return style & ~static_cast<DWORD>(WS_CAPTION);
}

void WindowImplBase::HandleNotification(NotifyMsg& msg) {
    DispatchNotify(msg);
}

LRESULT WindowImplBase::FilterMessage(UINT message, WPARAM wParam, LPARAM, bool&) {
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        return HandleDefaultKey(wParam) ? 1 : 0;
    }
    return 0;
}

CControlUI* WindowImplBase::CreateCustomControl(const wchar_t*) {
    return nullptr;
}

const NotifyMap* WindowImplBase::ClassNotifyMap() {
    return &kWindowMap;
}

const NotifyMap* WindowImplBase::OwnNotifyMap() const {
    return ClassNotifyMap();
}
