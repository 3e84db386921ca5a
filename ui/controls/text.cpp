// The text control: wrapped text, and in mark-up links that report "link" when clicked.

#include <cwchar>
#include <new>

#include "ui/controls/label.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"

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

SIZE CTextUI::MeasureSize(SIZE /*available*/) {
    // Only an automatic width uses the measurement: the height is left to the layout unless fixed.
    if (AutoCalcWidth()) {
        MeasureAutoWidth(RECT{m_textPadding.left, 0, 9999 - m_textPadding.right, 9999}, IsShowHtml());
    }
    return SIZE{m_fixedWidth, m_fixedHeight};
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
