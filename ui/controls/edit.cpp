// The edit field: attributes, events, the painted caption and state images. The native box it
// opens lives in edit_window.cpp.

#include "ui/controls/edit.h"

#include <cwchar>
#include <new>

#include "ui/util/attribute_parse.h"
#include "ui/controls/edit_window.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"

namespace {

using EditHandler = void (*)(CEditUI& edit, const wchar_t* value);

struct EditAttribute {
    const wchar_t* name;
    EditHandler apply;
};

const EditAttribute kEditAttributes[] = {
    {L"readonly", [](CEditUI& e, const wchar_t* v) { e.SetReadOnly(attr::ParseBool(v)); }},
    {L"numberonly", [](CEditUI& e, const wchar_t* v) { e.SetNumberOnly(attr::ParseBool(v)); }},
    {L"password", [](CEditUI& e, const wchar_t* v) { e.SetPassword(attr::ParseBool(v)); }},
    {L"passwordchar", [](CEditUI& e, const wchar_t* v) { e.SetPasswordChar(*v); }},
    {L"maxchar", [](CEditUI& e, const wchar_t* v) { e.SetMaxChars(attr::ParseInt(v)); }},
    {L"normalimage", [](CEditUI& e, const wchar_t* v) { e.SetStateImage(CEditUI::NormalImage, v); }},
    {L"hotimage", [](CEditUI& e, const wchar_t* v) { e.SetStateImage(CEditUI::HotImage, v); }},
    {L"focusedimage", [](CEditUI& e, const wchar_t* v) { e.SetStateImage(CEditUI::FocusedImage, v); }},
    {L"disabledimage", [](CEditUI& e, const wchar_t* v) { e.SetStateImage(CEditUI::DisabledImage, v); }},
    {L"tipvalue", [](CEditUI& e, const wchar_t* v) { e.SetTipValue(v); }},
    {L"tipvaluecolor", [](CEditUI& e, const wchar_t* v) { e.SetTipValueColor(attr::ParseColor(v)); }},
    {L"nativetextcolor", [](CEditUI& e, const wchar_t* v) { e.SetNativeTextColor(attr::ParseColor(v)); }},
    {L"nativebkcolor", [](CEditUI& e, const wchar_t* v) { e.SetNativeBackColor(attr::ParseColor(v)); }},
};

}  // namespace

RECT CenteredEditRect(RECT padded, int fontHeight) {
    const int height = padded.bottom - padded.top;
    if (fontHeight < height) {
        padded.top += (height - fontHeight) / 2;
        padded.bottom = padded.top + fontHeight;
    }
    return padded;
}

CWideString MaskedText(const wchar_t* text, wchar_t mark) {
    CWideString shown;
    for (const wchar_t* p = text; p && *p; p = CharNextW(p)) {
        shown += mark;
    }
    return shown;
}

CEditUI::CEditUI() {
    m_textPadding = RECT{4, 3, 4, 3};
    SetBackColor(0xFFFFFFFF);
}

CEditUI::~CEditUI() {
    // The box outlives a message of its own that deleted this control (a listener of
    // "textchanged" or "return"); it must not reach back into freed memory afterwards.
    if (CEditWnd* box = m_editWindow) {
        m_editWindow = nullptr;
        box->Detach();
    }
}

const wchar_t* CEditUI::ClassName() const {
    return L"EditUI";
}

void* CEditUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"Edit") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

HWND CEditUI::EditWindowHandle() const {
    return m_editWindow ? m_editWindow->WindowHandle() : nullptr;
}

void CEditUI::SetText(const wchar_t* text) {
    CLabelUI::SetText(text);
    if (HWND box = EditWindowHandle()) {
        SetWindowTextW(box, Text());
    }
    Invalidate();
}

void CEditUI::TakeTextFromBox(const wchar_t* text) {
    CLabelUI::SetText(text);
    Invalidate();
}

void CEditUI::SetEnabled(bool on) {
    CLabelUI::SetEnabled(on);
    if (!IsEnabled()) {
        m_state = 0;
    }
}

void CEditUI::SetPos(RECT rc) {
    CLabelUI::SetPos(rc);
    if (m_editWindow) {
        m_editWindow->FollowOwner();
    }
}

void CEditUI::SetVisible(bool on) {
    CLabelUI::SetVisible(on);
    CloseBoxIfHidden();
}

void CEditUI::SetInnerVisible(bool on) {
    CLabelUI::SetInnerVisible(on);
    CloseBoxIfHidden();
}

// Taking the focus away closes the box: it closes itself when it loses the native focus.
void CEditUI::CloseBoxIfHidden() {
    if (!IsVisible() && m_editWindow && m_host) {
        m_host->SetFocusControl(nullptr);
    }
}

SIZE CEditUI::MeasureSize(SIZE /*available*/) {
    return FixedSizeOrFontHeight(6);
}

RECT CEditUI::EditRect() {
    const int fontHeight = m_host ? m_host->FontInfoAt(Font()).metrics.tmHeight : 0;
    return CenteredEditRect(TextRect(), fontHeight);
}

void CEditUI::OpenEditWindow() {
    if (m_editWindow || !m_host || !m_host->WindowHandle()) {
        return;
    }
    m_editWindow = new (std::nothrow) CEditWnd(this);
    if (m_editWindow && !m_editWindow->Open()) {
        // A window that failed after it began has ended already, and its end cleared the
        // pointer and deleted the box; otherwise the box never had a window.
        delete m_editWindow;
        m_editWindow = nullptr;
    }
}

void CEditUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.type)) {
        PassMouseEventOn(event);
        return;
    }
    const bool enabled = IsEnabled();
    switch (event.type) {
        case EventSetCursor:
            if (enabled) {
                SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
                return;
            }
            break;
        case EventWindowSize:
            if (m_editWindow && m_host) {
                m_host->FocusAfterLayout(this);
            }
            break;
        case EventScrollWheel:
            if (m_editWindow) {
                return;
            }
            break;
        case EventFocusGained:
            if (enabled) {
                if (m_editWindow) {
                    return;
                }
                OpenEditWindow();
                Invalidate();
            }
            break;
        case EventFocusLost:
            if (enabled) {
                Invalidate();
            }
            break;
        case EventMouseMove:
        case EventButtonUp:
        case EventContextMenu: return;
        case EventMouseEnter:
        case EventMouseLeave:
            if (enabled) {
                m_state = event.type == EventMouseEnter ? m_state | EditHot : m_state & ~EditHot;
                Invalidate();
                return;
            }
            break;
        case EventButtonDown:
        case EventRightButtonDown:
        case EventDoubleClick:
            if (enabled) {
                HandlePress(event);
                return;
            }
            break;
        default: break;
    }
    CLabelUI::HandleEvent(event);
}

// The press must not keep the mouse captured by the host window, or the box could not take the
// clicks that place its caret.
void CEditUI::HandlePress(const UIEvent& event) {
    if (m_host) {
        m_host->ReleaseMouse();
    } else {
        ReleaseCapture();
    }
    if (IsFocused() && !m_editWindow) {
        OpenEditWindow();
        if (!PtInRect(&m_rcItem, event.point)) {
            return;
        }
    }
    if (HWND box = EditWindowHandle()) {
        const int length = GetWindowTextLengthW(box);
        SendMessageW(box, EM_SETSEL, 0, length > 0 ? length : 1);
    }
}

void CEditUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    for (const EditAttribute& entry : kEditAttributes) {
        if (wcscmp(name, entry.name) == 0) {
            entry.apply(*this, value);
            return;
        }
    }
    CLabelUI::SetAttribute(name, value);
}

void CEditUI::SetMaxChars(int count) {
    m_maxChars = count;
    if (HWND box = EditWindowHandle()) {
        SendMessageW(box, EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
    }
}

void CEditUI::SetReadOnly(bool on) {
    if (m_readOnly == on) {
        return;
    }
    m_readOnly = on;
    if (HWND box = EditWindowHandle()) {
        SendMessageW(box, EM_SETREADONLY, on, 0);
    }
    Invalidate();
}

void CEditUI::SetNumberOnly(bool on) {
    m_nativeStyle = on ? m_nativeStyle | ES_NUMBER : m_nativeStyle & ~static_cast<DWORD>(ES_NUMBER);
}

void CEditUI::SetPassword(bool on) {
    if (m_password != on) {
        m_password = on;
        Invalidate();
    }
}

void CEditUI::SetPasswordChar(wchar_t ch) {
    if (m_passwordChar == ch) {
        return;
    }
    m_passwordChar = ch;
    if (HWND box = EditWindowHandle()) {
        SendMessageW(box, EM_SETPASSWORDCHAR, ch, 0);
    }
    Invalidate();
}

void CEditUI::SetStateImage(ImageSlot slot, const wchar_t* image) {
    m_images[slot] = image ? image : L"";
    Invalidate();
}

bool CEditUI::DrawStateImage(HDC dc, ImageSlot slot) {
    if (m_images[slot].IsEmpty()) {
        return false;
    }
    if (DrawImage(dc, m_images[slot])) {
        return true;
    }
    m_images[slot].Empty();  // not tried again at every paint
    return false;
}

void CEditUI::PaintStateImages(HDC dc) {
    m_state = IsFocused() ? m_state | EditFocused : m_state & ~EditFocused;
    m_state = IsEnabled() ? m_state & ~EditDisabled : m_state | EditDisabled;
    ImageSlot slot = kImageSlots;
    if (m_state & EditDisabled) {
        slot = DisabledImage;
    } else if (m_state & EditFocused) {
        slot = FocusedImage;
    } else if (m_state & EditHot) {
        slot = HotImage;
    }
    if (slot != kImageSlots && DrawStateImage(dc, slot)) {
        return;
    }
    DrawStateImage(dc, NormalImage);
}

void CEditUI::PaintText(HDC dc) {
    TakeDefaultColors();
    const CWideString text = Text();
    CWideString shown = text;
    DWORD color = TextColor();
    if (text.IsEmpty() || text == m_tipValue) {
        shown = m_tipValue;
        color = m_tipValueColor;
    } else if (m_password) {
        shown = MaskedText(text, m_passwordChar);
    }
    if (!IsEnabled()) {
        color = DisabledTextColor();
    }
    RECT rc = TextRect();
    CGdiPainter::DrawPlainText(dc, m_host, rc, shown, color, Font(), m_textStyle | DT_SINGLELINE);
}
