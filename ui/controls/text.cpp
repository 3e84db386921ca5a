// The text control: wrapped text, and in mark-up links that report "link" when clicked.

#include <cwchar>
#include <new>

#include "ui/controls/label.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"
#include "ui/util/attribute_parse.h"

namespace {

// Taller than any text a control measures: the measuring rectangle must not cut it short.
constexpr int kMeasuringHeight = 1 << 20;

}  // namespace

CTextUI::CTextUI() {
    m_textStyle = DT_WORDBREAK;
    m_textPadding = RECT{2, 0, 2, 0};
}

const wchar_t* CTextUI::ClassName() const {
    return L"TextUI";
}

void* CTextUI::CastTo(const wchar_t* name) {
    if (!name) {
        return nullptr;
    }
    if (wcscmp(name, L"Text") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

UINT CTextUI::ControlFlags() const {
    return IsEnabled() && m_linkCount > 0 ? UINT{ControlFlagSetCursor} : 0u;
}

const CWideString* CTextUI::LinkText(int index) const {
    if (!m_links || index < 0 || index >= m_linkCount) {
        return nullptr;
    }
    return &m_links->texts[index];
}

RECT CTextUI::LinkRect(int index) const {
    if (!m_links || index < 0 || index >= m_linkCount) {
        return RECT{0, 0, 0, 0};
    }
    return m_links->rects[index];
}

int CTextUI::LinkAt(POINT point) const {
    for (int i = 0; m_links && i < m_linkCount; ++i) {
        if (PtInRect(&m_links->rects[i], point)) {
            return i;
        }
    }
    return -1;
}

// The link part of the event handling; true when the event was consumed.
bool CTextUI::HandleLinkEvent(const UIEvent& event) {
    const bool enabled = IsEnabled();
    switch (event.type) {
        case EventSetCursor:
            if (LinkAt(event.point) >= 0) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return true;
            }
            return false;
        case EventButtonDown:
        case EventDoubleClick:
            if ((event.type == EventButtonDown || enabled) && LinkAt(event.point) >= 0) {
                Invalidate();
                return true;
            }
            return false;
        case EventButtonUp: {
            int link = enabled ? LinkAt(event.point) : -1;
            if (link >= 0 && m_host) {
                // The listener finds the link's text with LinkText(wParam).
                m_host->SendNotification(this, L"link", static_cast<WPARAM>(link), 0);
                return true;
            }
            return false;
        }
        case EventContextMenu: return true;
        case EventMouseMove: {
            if (!enabled || m_linkCount == 0) {
                return false;
            }
            int hover = LinkAt(event.point);
            if (hover == m_hoverLink) {
                return false;
            }
            m_hoverLink = hover;
            Invalidate();
            return true;
        }
        case EventMouseLeave:
            if (!enabled || m_linkCount == 0 || m_hoverLink == -1) {
                return false;
            }
            m_hoverLink = -1;
            Invalidate();
            return true;
        default: return false;
    }
}

void CTextUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.type)) {
        PassMouseEventOn(event);
        return;
    }
    if (!HandleLinkEvent(event)) {
        HandleFocusOrPassOn(event);
    }
}

void CTextUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"autocalcheight") == 0) {
        SetAutoCalcHeight(attr::ParseBool(value));
        return;
    }
    CLabelUI::SetAttribute(name, value);
}

void CTextUI::SetAutoCalcHeight(bool on) {
    if (m_autoCalcHeight != on) {
        m_autoCalcHeight = on;
        MarkSizeChanged();
    }
}

// A text that sets its own height asks its parent for a new layout when it changes.
void CTextUI::SetText(const wchar_t* text) {
    CLabelUI::SetText(text);
    if (m_autoCalcHeight) {
        MarkSizeChanged();
    }
}

SIZE CTextUI::MeasureSize(SIZE available) {
    // Only an automatic width uses the measurement: the height is left to the layout unless fixed.
    if (AutoCalcWidth()) {
        MeasureAutoWidth(RECT{m_textPadding.left, 0, 9999 - m_textPadding.right, 9999}, IsShowHtml());
    }
    // The height is not stored: the next layout, in another width or at another DPI, measures again.
    if (m_autoCalcHeight && m_fixedHeight == 0 && m_host) {
        return SIZE{m_fixedWidth, MeasureWrappedHeight(m_fixedWidth != 0 ? m_fixedWidth : available.cx)};
    }
    return SIZE{m_fixedWidth, m_fixedHeight};
}

int CTextUI::MeasureWrappedHeight(int width) {
    const int padding = m_textPadding.top + m_textPadding.bottom;
    CWideString text = Text();
    RECT rc = {0, 0, width - m_textPadding.left - m_textPadding.right, kMeasuringHeight};
    int textHeight = 0;
    if (!text.IsEmpty() && rc.right > 0) {
        // Wrapped from the top: a vertical alignment would measure one line only.
        const UINT style =
            (m_textStyle & ~(DT_VCENTER | DT_BOTTOM | DT_SINGLELINE)) | DT_WORDBREAK | DT_CALCRECT;
        if (IsShowHtml()) {
            int none = 0;
            CGdiPainter::DrawMarkupText(m_host->PaintDC(), m_host, rc, text, TextColor(), nullptr, nullptr,
                                        none, style);
        } else {
            CGdiPainter::DrawPlainText(m_host->PaintDC(), m_host, rc, text, TextColor(), Font(), style);
        }
        textHeight = rc.bottom - rc.top;
    }
    const int height = padding + textHeight;
    return height > 0 ? height : 1;
}

void CTextUI::PaintText(HDC dc) {
    CWideString text = Text();
    if (text.IsEmpty()) {
        m_linkCount = 0;
        return;
    }
    TakeDefaultColors();
    RECT rc = TextRect();
    DWORD color = StateTextColor();
    if (!IsShowHtml()) {
        // Plain text has no links; a count left from earlier mark-up would still catch the cursor.
        m_linkCount = 0;
        CGdiPainter::DrawPlainText(dc, m_host, rc, text, color, Font(), m_textStyle);
        return;
    }
    if (!m_links) {
        m_links.reset(new (std::nothrow) Links);
    }
    m_linkCount = m_links ? kMaxLinks : 0;
    RECT* rects = m_links ? m_links->rects : nullptr;
    CWideString* texts = m_links ? m_links->texts : nullptr;
    CGdiPainter::DrawMarkupText(dc, m_host, rc, text, color, rects, texts, m_linkCount, m_textStyle);
}
