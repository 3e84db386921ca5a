#include "ui/controls/scroll_bar.h"

#include <cwchar>

#include "ui/controls/attribute_parse.h"
#include "ui/controls/container.h"
#include "ui/core/window_host.h"

CScrollBarUI::CScrollBarUI() {
    m_fixedWidth = 16;
}

const wchar_t* CScrollBarUI::ClassName() const {
    return L"ScrollBarUI";
}

void* CScrollBarUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"ScrollBar") == 0) {
        return this;
    }
    return CControlUI::CastTo(name);
}

void CScrollBarUI::SetVisible(bool on) {
    if (m_visible == on) {
        return;
    }
    m_visible = on;
    m_focused = false;
}

void CScrollBarUI::SetFocus() {
    if (m_owner) {
        m_owner->SetFocus();
    } else if (m_host) {
        m_host->SetFocusControl(this);
    }
}

void CScrollBarUI::SetHorizontal(bool on) {
    if (m_horizontal == on) {
        return;
    }
    m_horizontal = on;
    if (on && m_fixedHeight == 0) {
        m_fixedWidth = 0;
        m_fixedHeight = 16;
    } else if (!on && m_fixedWidth == 0) {
        m_fixedWidth = 16;
        m_fixedHeight = 0;
    }
    if (!m_owner) {
        MarkParentDirty();
    } else if (m_owner->IsVisible()) {
        m_owner->MarkDirty();
    }
}

void CScrollBarUI::SetScrollRange(int range) {
    if (m_range == range) {
        return;
    }
    m_range = range < 0 ? 0 : range;
    if (m_position > m_range) {
        m_position = m_range;
    }
    SetPos(m_rcItem);
}

void CScrollBarUI::SetScrollPos(int position) {
    if (m_position == position) {
        return;
    }
    m_position = position < 0 ? 0 : (position > m_range ? m_range : position);
    SetPos(m_rcItem);
}

void CScrollBarUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"hor") == 0) {
        SetHorizontal(attr::ParseBool(value));
    } else if (wcscmp(name, L"linesize") == 0) {
        SetLineSize(attr::ParseInt(value));
    } else if (wcscmp(name, L"range") == 0) {
        SetScrollRange(attr::ParseInt(value));
    } else if (wcscmp(name, L"value") == 0) {
        SetScrollPos(attr::ParseInt(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}
