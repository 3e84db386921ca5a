// The native edit box of an edit field: creation, reflected notifications and colours, closing.

#include "ui/controls/edit_window.h"

#include <memory>
#include <new>
#include <utility>

#include "ui/controls/edit.h"
#include "ui/core/window_host.h"
#include "ui/draw/color_convert.h"

namespace {

// The host sends a child's notifications and colour requests back under these numbers.
constexpr UINT kReflectOffset = 0x2000;
constexpr UINT kReflectedCommand = WM_COMMAND + kReflectOffset;
constexpr UINT kReflectedEditColor = WM_CTLCOLOREDIT + kReflectOffset;
constexpr UINT kReflectedStaticColor = WM_CTLCOLORSTATIC + kReflectOffset;

CWideString WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[length + 1]);
    if (!buffer) {
        return CWideString();
    }
    const int copied = GetWindowTextW(window, buffer.get(), length + 1);
    return CWideString(buffer.get(), copied > 0 ? copied : 0);
}

}  // namespace

CEditWnd::CEditWnd(CEditUI* owner) : m_owner(owner) {}

const wchar_t* CEditWnd::WindowClassName() const {
    return L"EditWnd";
}

const wchar_t* CEditWnd::SuperclassName() const {
    return L"Edit";
}

RECT CEditWnd::PlacementRect() const {
    RECT rc = m_owner->EditRect();
    if (m_popup) {
        RECT window = {0, 0, 0, 0};
        GetWindowRect(m_owner->Host()->WindowHandle(), &window);
        OffsetRect(&rc, window.left, window.top);
    }
    return rc;
}

HFONT CEditWnd::OwnerFont() const {
    CWindowHostUI* host = m_owner->Host();
    HFONT font = host->FontAt(m_owner->Font());
    return font ? font : host->DefaultFontInfo().font;
}

bool CEditWnd::Open() {
    CWindowHostUI* host = m_owner->Host();
    m_popup = host->IsLayeredPaint();
    DWORD style = m_popup ? WS_POPUP | WS_VISIBLE | ES_AUTOHSCROLL : WS_CHILD | ES_AUTOHSCROLL;
    if (m_owner->IsPassword()) {
        style |= ES_PASSWORD;
    }
    const RECT rc = PlacementRect();
    if (!Create(host->WindowHandle(), nullptr, style, 0, rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top)) {
        return false;  // this object may be gone already
    }
    const HWND box = WindowHandle();
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(OwnerFont()), TRUE);
    SendMessageW(box, EM_LIMITTEXT, static_cast<WPARAM>(m_owner->MaxChars()), 0);
    if (m_owner->IsPassword()) {
        SendMessageW(box, EM_SETPASSWORDCHAR, m_owner->PasswordChar(), 0);
    }
    SetWindowTextW(box, m_owner->Text());
    SendMessageW(box, EM_SETMODIFY, FALSE, 0);
    SendMessageW(box, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    EnableWindow(box, m_owner->IsEnabled());
    SendMessageW(box, EM_SETREADONLY, m_owner->IsReadOnly(), 0);
    SetWindowLongW(box, GWL_STYLE, GetWindowLongW(box, GWL_STYLE) | m_owner->ExtraNativeStyle());
    ShowWindow(box, SW_SHOWNOACTIVATE);
    SetFocus(box);
    m_initialised = true;
    return true;
}

void CEditWnd::FollowOwner() {
    if (!m_owner || !WindowHandle()) {
        return;
    }
    const RECT rc = PlacementRect();
    SetWindowPos(WindowHandle(), nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditWnd::Detach() {
    m_owner = nullptr;
    const HWND box = WindowHandle();
    if (!box) {
        return;
    }
    if (m_depth > 0) {
        // The system edit procedure may be below on the stack (it reported a change that led
        // to the owner's deletion) and would use its freed state if the window ended now.
        ShowWindow(box, SW_HIDE);
        PostMessageW(box, WM_CLOSE, 0, 0);
    } else {
        DestroyWindow(box);  // ends in OnFinalMessage, which deletes this object
    }
}

LRESULT CEditWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    ++m_depth;
    const LRESULT result = Dispatch(message, wParam, lParam);
    if (--m_depth == 0 && m_ended) {
        delete this;
    }
    return result;
}

LRESULT CEditWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND box = WindowHandle();
    switch (message) {
        case WM_KILLFOCUS: {
            const LRESULT result = CWindowWnd::HandleMessage(message, wParam, lParam);
            PostMessageW(box, WM_CLOSE, 0, 0);
            return result;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                SendOwnerNotification(L"return");
                return 0;
            }
            break;
        case kReflectedCommand: return OnReflectedCommand(wParam);
        case kReflectedEditColor:
        case kReflectedStaticColor: return OnReflectedColor(reinterpret_cast<HDC>(wParam));
        default: break;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void CEditWnd::SendOwnerNotification(const wchar_t* type) {
    if (m_owner && m_owner->Host()) {
        m_owner->Host()->SendNotification(m_owner, type);
    }
}

LRESULT CEditWnd::OnReflectedCommand(WPARAM wParam) {
    const WORD code = HIWORD(wParam);
    if (code == EN_CHANGE && m_initialised && m_owner) {
        m_owner->TakeTextFromBox(WindowText(WindowHandle()));
        SendOwnerNotification(L"textchanged");
    } else if (code == EN_UPDATE) {
        InvalidateRect(WindowHandle(), nullptr, FALSE);
    }
    return 0;
}

LRESULT CEditWnd::OnReflectedColor(HDC dc) {
    if (!m_owner || m_owner->NativeBackColor() == CEditUI::kNoNativeBackColor) {
        return 0;
    }
    SetBkMode(dc, TRANSPARENT);
    const DWORD text = m_owner->NativeTextColor() != 0 ? m_owner->NativeTextColor() : m_owner->TextColor();
    SetTextColor(dc, ToColorRef(text));
    if (!m_backBrush) {
        m_backBrush.Reset(CreateSolidBrush(ToColorRef(m_owner->NativeBackColor())));
    }
    return reinterpret_cast<LRESULT>(m_backBrush.Get());
}

void CEditWnd::OnFinalMessage(HWND /*window*/) {
    if (CEditUI* owner = std::exchange(m_owner, nullptr)) {
        owner->Invalidate();
        owner->ForgetEditWindow();
    }
    m_backBrush.Reset();
    m_ended = true;
    if (m_depth == 0) {
        delete this;
    }
}
