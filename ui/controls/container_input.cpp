// Tree search into a container's children and the container's own event handling (scrolling
// by keys and wheel).

#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"

CControlUI* CContainerUI::FindControl(FindControlProc visitor, void* data, UINT flags) {
    if ((flags & FindVisible) && !IsVisible()) {
        return nullptr;
    }
    if ((flags & FindEnabled) && !IsEnabled()) {
        return nullptr;
    }
    CScrollBarUI* bars[] = {m_verticalBar, m_horizontalBar};
    if (flags & FindHitTest) {
        if (!PtInRect(&m_rcItem, *static_cast<const POINT*>(data))) {
            return nullptr;
        }
        if (!m_mouseChildEnabled) {
            for (CScrollBarUI* bar : bars) {
                CControlUI* found = bar ? bar->FindControl(visitor, data, flags) : nullptr;
                if (found) {
                    return found;
                }
            }
            return CControlUI::FindControl(visitor, data, flags);
        }
    }
    for (CScrollBarUI* bar : bars) {
        CControlUI* found = bar ? bar->FindControl(visitor, data, flags) : nullptr;
        if (found) {
            return found;
        }
    }
    if (flags & FindMeFirst) {
        CControlUI* self = CControlUI::FindControl(visitor, data, flags);
        if (self) {
            return self;
        }
    }
    CControlUI* found = FindInChildren(visitor, data, flags);
    if (found) {
        return found;
    }
    return (flags & FindMeFirst) ? nullptr : CControlUI::FindControl(visitor, data, flags);
}

// With a hit test, a child that is not floating only counts where it shows, inside the client
// rectangle; a floating child may lie over the inset or the scroll bars.
CControlUI* CContainerUI::FindInChildren(FindControlProc visitor, void* data, UINT flags) {
    int count = m_items.GetSize();
    bool topFirst = (flags & FindTopFirst) != 0;
    RECT client = ClientRect();
    for (int step = 0; step < count; ++step) {
        CControlUI* child = ItemAt(topFirst ? count - 1 - step : step);
        CControlUI* found = child->FindControl(visitor, data, flags);
        if (!found) {
            continue;
        }
        if (!(flags & FindHitTest) || found->IsFloat() ||
            PtInRect(&client, *static_cast<const POINT*>(data))) {
            return found;
        }
    }
    return nullptr;
}

void CContainerUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.type)) {
        if (m_parent) {
            m_parent->HandleEvent(event);
        } else {
            CControlUI::HandleEvent(event);
        }
        return;
    }
    if (event.type == EventFocusGained || event.type == EventFocusLost) {
        m_focused = event.type == EventFocusGained;
        return;
    }
    if (!HandleScrollKey(event)) {
        CControlUI::HandleEvent(event);
    }
}

// Page up/down, end, home, up and down keys and the wheel scroll the vertical bar when it is
// usable, otherwise the same inputs scroll the horizontal one.
bool CContainerUI::HandleScrollKey(const UIEvent& event) {
    bool vertical = m_verticalBar && m_verticalBar->IsVisible() && m_verticalBar->IsEnabled();
    bool horizontal = m_horizontalBar && m_horizontalBar->IsVisible() && m_horizontalBar->IsEnabled();
    if (!vertical && !horizontal) {
        return false;
    }
    using Action = void (CContainerUI::*)();
    struct KeyAction {
        WPARAM key;
        Action vertical;
        Action horizontal;
    };
    static const KeyAction kKeys[] = {
        {VK_PRIOR, &CContainerUI::ScrollPageUp, &CContainerUI::ScrollPageLeft},
        {VK_NEXT, &CContainerUI::ScrollPageDown, &CContainerUI::ScrollPageRight},
        {VK_END, &CContainerUI::ScrollToBottom, &CContainerUI::ScrollToRight},
        {VK_HOME, &CContainerUI::ScrollToTop, &CContainerUI::ScrollToLeft},
        {VK_UP, &CContainerUI::ScrollLineUp, &CContainerUI::ScrollLineLeft},
        {VK_DOWN, &CContainerUI::ScrollLineDown, &CContainerUI::ScrollLineRight},
    };
    if (event.type == EventKeyDown) {
        for (const KeyAction& action : kKeys) {
            if (action.key == static_cast<WPARAM>(event.key)) {
                (this->*(vertical ? action.vertical : action.horizontal))();
                return true;
            }
        }
        return false;
    }
    if (event.type == EventScrollWheel) {
        WORD direction = LOWORD(event.wParam);
        if (direction > 1) {
            return false;
        }
        const KeyAction& line = kKeys[direction == 0 ? 4 : 5];
        (this->*(vertical ? line.vertical : line.horizontal))();
        return true;
    }
    return false;
}
