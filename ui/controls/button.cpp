// The push button: its state machine, attributes, state images and caption colours.

#include "ui/controls/button.h"

#include <cwchar>
#include <new>

#include "ui/util/attribute_parse.h"
#include "ui/util/deletion_watch.h"
#include "ui/controls/tab_layout.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"

struct CButtonUI::Images {
    CWideString slots[kImageSlots];
    CWideString bindTabLayoutName;
};

namespace {

using ButtonHandler = void (*)(CButtonUI& button, const wchar_t* value);

struct ButtonAttribute {
    const wchar_t* name;
    ButtonHandler apply;
};

const ButtonAttribute kButtonAttributes[] = {
    {L"normalimage", [](CButtonUI& b, const wchar_t* v) { b.SetStateImage(CButtonUI::NormalImage, v); }},
    {L"hotimage", [](CButtonUI& b, const wchar_t* v) { b.SetStateImage(CButtonUI::HotImage, v); }},
    {L"hotforeimage", [](CButtonUI& b, const wchar_t* v) { b.SetStateImage(CButtonUI::HotForeImage, v); }},
    {L"pushedimage", [](CButtonUI& b, const wchar_t* v) { b.SetStateImage(CButtonUI::PushedImage, v); }},
    {L"focusedimage", [](CButtonUI& b, const wchar_t* v) { b.SetStateImage(CButtonUI::FocusedImage, v); }},
    {L"disabledimage", [](CButtonUI& b, const wchar_t* v) { b.SetStateImage(CButtonUI::DisabledImage, v); }},
    {L"foreimage",
     [](CButtonUI& b, const wchar_t* v) {
         b.SetForeImage(v);
         b.Invalidate();
     }},
    {L"bindtabindex", [](CButtonUI& b, const wchar_t* v) { b.SetBoundTabIndex(attr::ParseInt(v)); }},
    {L"bindtablayoutname", [](CButtonUI& b, const wchar_t* v) { b.SetBoundTabLayoutName(v); }},
    {L"hotbkcolor", [](CButtonUI& b, const wchar_t* v) { b.SetHotBackColor(attr::ParseColor(v)); }},
    {L"hottextcolor", [](CButtonUI& b, const wchar_t* v) { b.SetHotTextColor(attr::ParseColor(v)); }},
    {L"pushedtextcolor", [](CButtonUI& b, const wchar_t* v) { b.SetPushedTextColor(attr::ParseColor(v)); }},
    {L"focusedtextcolor", [](CButtonUI& b, const wchar_t* v) { b.SetFocusedTextColor(attr::ParseColor(v)); }},
    {L"multiline",
     [](CButtonUI& b, const wchar_t* v) {
         UINT style = b.TextStyle();
         b.SetTextStyle(attr::ParseBool(v) ? (style & ~DT_SINGLELINE) | DT_WORDBREAK
                                           : (style & ~DT_WORDBREAK) | DT_SINGLELINE);
     }},
};

}  // namespace

CButtonUI::CButtonUI() {
    m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

CButtonUI::~CButtonUI() = default;

const wchar_t* CButtonUI::ClassName() const {
    return L"ButtonUI";
}

void* CButtonUI::CastTo(const wchar_t* name) {
    if (!name) {
        return nullptr;
    }
    if (wcscmp(name, L"Button") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

UINT CButtonUI::ControlFlags() const {
    UINT flags = IsEnabled() ? UINT{ControlFlagSetCursor} : 0u;
    return IsKeyboardEnabled() ? flags | ControlFlagTabStop : flags;
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) {
        return false;
    }
    if (CWindowHostUI* host = m_host) {
        CDeletionWatch watch(m_deletionSlot);
        // Delivered synchronously: the listener has run when this returns.
        host->SendNotification(this, L"click", 0, 0);
        if (!watch.Deleted()) {
            SelectBoundTabPage(host);
        }
    }
    return true;
}

void CButtonUI::SelectBoundTabPage(CWindowHostUI* host) {
    const wchar_t* name = BoundTabLayoutName();
    if (*name == L'\0' || m_bindTabIndex < 0) {
        return;
    }
    // The name may belong to any kind of control; only a tab layout has pages to select.
    CControlUI* target = host->FindControlByName(name);
    if (void* tabLayout = target ? target->CastTo(L"TabLayout") : nullptr) {
        static_cast<CTabLayoutUI*>(tabLayout)->ShowPage(m_bindTabIndex);
    }
}

void CButtonUI::SetEnabled(bool on) {
    CControlUI::SetEnabled(on);
    if (!IsEnabled()) {
        m_state = 0;
    }
}

void CButtonUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.type)) {
        PassMouseEventOn(event);
        return;
    }
    const bool inside = PtInRect(&m_rcItem, event.point) != FALSE;
    switch (event.type) {
        case EventFocusGained:
        case EventFocusLost: Invalidate(); break;
        case EventKeyDown:
            if (IsKeyboardEnabled() && (event.key == VK_SPACE || event.key == VK_RETURN)) {
                Activate();
                return;
            }
            break;
        case EventButtonDown:
        case EventDoubleClick:
            if (inside && IsEnabled()) {
                m_state |= ButtonPushed | ButtonCaptured;
                Invalidate();
            }
            return;
        case EventMouseMove:
            if (m_state & ButtonCaptured) {
                m_state = inside ? m_state | ButtonPushed : m_state & ~ButtonPushed;
                Invalidate();
            }
            return;
        case EventButtonUp:
            if (m_state & ButtonCaptured) {
                if (inside) {
                    CDeletionWatch watch(m_deletionSlot);
                    Activate();
                    if (watch.Deleted()) {
                        return;
                    }
                }
                m_state &= ~(ButtonPushed | ButtonCaptured);
                Invalidate();
            }
            return;
        case EventContextMenu:
            if (IsMenuEnabled() && m_host) {
                m_host->SendNotification(this, L"menu", event.wParam, event.lParam);
            }
            return;
        case EventMouseEnter:
        case EventMouseLeave:
            if (IsEnabled()) {
                m_state = event.type == EventMouseEnter ? m_state | ButtonHot : m_state & ~ButtonHot;
                Invalidate();
            }
            break;
        case EventSetCursor: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return;
        default: break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    for (const ButtonAttribute& entry : kButtonAttributes) {
        if (wcscmp(name, entry.name) == 0) {
            entry.apply(*this, value);
            return;
        }
    }
    CLabelUI::SetAttribute(name, value);
}

SIZE CButtonUI::MeasureSize(SIZE /*available*/) {
    return FixedSizeOrFontHeight(8);
}

CButtonUI::Images* CButtonUI::EditImages() {
    if (!m_images) {
        m_images.reset(new (std::nothrow) Images);
    }
    return m_images.get();
}

const wchar_t* CButtonUI::StateImage(ImageSlot slot) const {
    return m_images ? m_images->slots[slot].GetData() : L"";
}

bool CButtonUI::HasImage(ImageSlot slot) const {
    return m_images && !m_images->slots[slot].IsEmpty();
}

void CButtonUI::SetStateImage(ImageSlot slot, const wchar_t* image) {
    if (Images* images = (image && *image) || m_images ? EditImages() : nullptr) {
        images->slots[slot] = image ? image : L"";
    }
    Invalidate();
}

void CButtonUI::SetBoundTabIndex(int index) {
    if (index >= 0) {
        m_bindTabIndex = index;
    }
}

const wchar_t* CButtonUI::BoundTabLayoutName() const {
    return m_images ? m_images->bindTabLayoutName.GetData() : L"";
}

void CButtonUI::SetBoundTabLayoutName(const wchar_t* name) {
    if (Images* images = (name && *name) || m_images ? EditImages() : nullptr) {
        images->bindTabLayoutName = name ? name : L"";
    }
}

DWORD CButtonUI::CaptionColor() const {
    if ((m_state & ButtonPushed) && m_pushedTextColor != 0) {
        return m_pushedTextColor;
    }
    if ((m_state & ButtonHot) && m_hotTextColor != 0) {
        return m_hotTextColor;
    }
    if ((m_state & ButtonFocused) && m_focusedTextColor != 0) {
        return m_focusedTextColor;
    }
    return StateTextColor();
}

void CButtonUI::RefreshPaintState() {
    m_state = IsFocused() ? m_state | ButtonFocused : m_state & ~ButtonFocused;
    m_state = IsEnabled() ? m_state & ~ButtonDisabled : m_state | ButtonDisabled;
}

bool CButtonUI::DrawSlot(HDC dc, ImageSlot slot) {
    if (DrawImage(dc, m_images->slots[slot])) {
        return true;
    }
    m_images->slots[slot].Empty();
    return false;
}

CButtonUI::NextImage CButtonUI::DrawStateImage(HDC dc) {
    if (m_state & ButtonDisabled) {
        return HasImage(DisabledImage) && DrawSlot(dc, DisabledImage) ? NextImage::Fore : NextImage::Normal;
    }
    if (m_state & ButtonPushed) {
        if (!HasImage(PushedImage)) {
            return NextImage::Normal;
        }
        DrawSlot(dc, PushedImage);
        return NextImage::Fore;
    }
    if (m_state & ButtonHot) {
        if (HasImage(HotImage)) {
            DrawSlot(dc, HotImage);
            if (!HasImage(HotForeImage)) {
                return NextImage::Fore;
            }
            DrawSlot(dc, HotForeImage);
            return NextImage::None;
        }
        if (m_hotBackColor == 0) {
            return NextImage::Normal;
        }
        // A hot colour alone replaces every image, even when it is fully transparent.
        DWORD color =
            IsColorAdjusted() ? CGdiPainter::AdjustColorHsl(m_hotBackColor, 180, 100, 100) : m_hotBackColor;
        if (color > 0x00FFFFFF) {
            CGdiPainter::FillColor(dc, m_paintRect, color);
        }
        return NextImage::None;
    }
    if (m_state & ButtonFocused) {
        return HasImage(FocusedImage) && DrawSlot(dc, FocusedImage) ? NextImage::Fore : NextImage::Normal;
    }
    return NextImage::Normal;
}

void CButtonUI::PaintStateImages(HDC dc) {
    RefreshPaintState();
    NextImage next = DrawStateImage(dc);
    if (next == NextImage::None) {
        return;
    }
    if (next == NextImage::Normal && HasImage(NormalImage)) {
        DrawSlot(dc, NormalImage);
    }
    if (!ForeImage().IsEmpty() && !DrawImage(dc, ForeImage())) {
        SetForeImage(nullptr);
    }
}

void CButtonUI::PaintText(HDC dc) {
    RefreshPaintState();
    TakeDefaultColors();
    if (Text().IsEmpty()) {
        return;
    }
    // The style goes unchanged: "multiline" decides whether the caption wraps.
    DrawCaption(dc, TextRect(), CaptionColor(), m_textStyle);
}
