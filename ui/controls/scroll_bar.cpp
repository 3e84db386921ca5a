// CScrollBarUI: the model (orientation, range, position, buttons shown), the placement of the
// parts and the skin attributes.

#include "ui/controls/scroll_bar.h"

#include <cwchar>
#include <new>

#include "ui/util/attribute_parse.h"
#include "ui/controls/container.h"
#include "ui/core/window_host.h"

namespace {

constexpr int kDefaultSide = 16;

}  // namespace

CScrollBarUI::CScrollBarUI() {
    m_fixedWidth = kDefaultSide;
}

CScrollBarUI::~CScrollBarUI() = default;

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

void CScrollBarUI::SetEnabled(bool on) {
    if (m_enabled == on) {
        return;
    }
    m_enabled = on;
    if (!on) {
        m_button1State = 0;
        m_button2State = 0;
        m_thumbState = 0;
    }
    Invalidate();
}

void CScrollBarUI::SetFocus() {
    if (m_owner) {
        m_owner->SetFocus();
    } else if (m_host) {
        m_host->SetFocusControl(this);
    }
}

void CScrollBarUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    ScrollBarLayoutInput input;
    input.item = m_rcItem;
    input.horizontal = m_horizontal;
    input.side = Side();
    input.range = m_range;
    input.position = m_position;
    input.showButton1 = m_showButton1;
    input.showButton2 = m_showButton2;
    m_parts = ComputeScrollBarParts(input);
}

int CScrollBarUI::ThumbTravel() const {
    int free = LengthAlong(m_rcItem, m_horizontal);
    free -= m_showButton1 ? Side() : 0;
    free -= m_showButton2 ? Side() : 0;
    return free - LengthAlong(m_parts.thumb, m_horizontal);
}

void CScrollBarUI::SetHorizontal(bool on) {
    if (m_horizontal == on) {
        return;
    }
    m_horizontal = on;
    if (on && m_fixedHeight == 0) {
        m_fixedWidth = 0;
        m_fixedHeight = m_host ? m_host->Scale(kDefaultSide) : kDefaultSide;
    } else if (!on && m_fixedWidth == 0) {
        m_fixedWidth = m_host ? m_host->Scale(kDefaultSide) : kDefaultSide;
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

void CScrollBarUI::SetShowButton1(bool on) {
    m_showButton1 = on;
    SetPos(m_rcItem);
}

void CScrollBarUI::SetShowButton2(bool on) {
    m_showButton2 = on;
    SetPos(m_rcItem);
}

const wchar_t* CScrollBarUI::PartImage(ScrollBarPart part, ScrollBarImageState state) const {
    return m_images ? m_images->texts[part][state].GetData() : L"";
}

void CScrollBarUI::SetPartImage(ScrollBarPart part, ScrollBarImageState state, const wchar_t* image) {
    bool clearing = !image || !*image;
    if (!m_images && clearing) {
        return;
    }
    if (!m_images) {
        m_images.reset(new (std::nothrow) Images);
        if (!m_images) {
            return;
        }
    }
    m_images->texts[part][state] = clearing ? L"" : image;
    Invalidate();
}

namespace {

// "<part><state>image": "bknormalimage", "button1hotimage", "thumbpushedimage", ...
bool ParseImageAttribute(const wchar_t* name, ScrollBarPart& part, ScrollBarImageState& state) {
    static const wchar_t* const kParts[] = {L"bk", L"button1", L"button2", L"thumb", L"rail"};
    static const wchar_t* const kStates[] = {L"normalimage", L"hotimage", L"pushedimage", L"disabledimage"};
    for (int p = 0; p < 5; ++p) {
        size_t length = wcslen(kParts[p]);
        if (wcsncmp(name, kParts[p], length) != 0) {
            continue;
        }
        for (int s = 0; s < 4; ++s) {
            if (wcscmp(name + length, kStates[s]) == 0) {
                part = static_cast<ScrollBarPart>(p);
                state = static_cast<ScrollBarImageState>(s);
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void CScrollBarUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    ScrollBarPart part;
    ScrollBarImageState state;
    if (ParseImageAttribute(name, part, state)) {
        SetPartImage(part, state, value);
    } else if (wcscmp(name, L"hor") == 0) {
        SetHorizontal(attr::ParseBool(value));
    } else if (wcscmp(name, L"linesize") == 0) {
        SetLineSize(attr::ParseInt(value));
    } else if (wcscmp(name, L"range") == 0) {
        SetScrollRange(attr::ParseInt(value));
    } else if (wcscmp(name, L"value") == 0) {
        SetScrollPos(attr::ParseInt(value));
    } else if (wcscmp(name, L"showbutton1") == 0) {
        SetShowButton1(attr::ParseBool(value));
    } else if (wcscmp(name, L"showbutton2") == 0) {
        SetShowButton2(attr::ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CScrollBarUI::RescaleToHost() {
    int side = m_host ? m_host->Scale(kDefaultSide) : kDefaultSide;
    (m_horizontal ? m_fixedHeight : m_fixedWidth) = side;
    RescaleSkinLengths();
    if (m_owner && m_owner->IsVisible()) {
        m_owner->MarkDirty();
    }
}
