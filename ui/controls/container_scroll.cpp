// Scrolling of a container's content through its scroll bars, and the bars created on demand.

#include <new>

#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_host.h"

namespace {

int BarPos(const CScrollBarUI* bar) {
    return bar && bar->IsVisible() ? bar->ScrollPos() : 0;
}

int BarRange(const CScrollBarUI* bar) {
    return bar && bar->IsVisible() ? bar->ScrollRange() : 0;
}

}  // namespace

SIZE CContainerUI::ScrollPos() const {
    return SIZE{BarPos(m_horizontalBar), BarPos(m_verticalBar)};
}

SIZE CContainerUI::ScrollRange() const {
    return SIZE{BarRange(m_horizontalBar), BarRange(m_verticalBar)};
}

// The bars clamp the new position; the children in the flow then move by what really changed.
void CContainerUI::SetScrollPos(SIZE pos) {
    int dx = 0;
    int dy = 0;
    if (IsVerticalBarVisible()) {
        int before = m_verticalBar->ScrollPos();
        m_verticalBar->SetScrollPos(pos.cy);
        dy = m_verticalBar->ScrollPos() - before;
    }
    if (IsHorizontalBarVisible()) {
        int before = m_horizontalBar->ScrollPos();
        m_horizontalBar->SetScrollPos(pos.cx);
        dx = m_horizontalBar->ScrollPos() - before;
    }
    if (dx == 0 && dy == 0) {
        return;
    }
    // Every child in the flow moves: their repaint areas are merged into one for the window.
    CWindowHostUI::LayoutPass pass(m_host);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) {
            continue;
        }
        RECT rc = child->Pos();
        OffsetRect(&rc, -dx, -dy);
        child->SetPos(rc);
    }
    Invalidate();
}

void CContainerUI::SetScrollStepSize(int size) {
    if (size > 0) {
        m_scrollStepSize = size;
    }
}

int CContainerUI::ScrollStepSize() const {
    return m_scrollStepSize;
}

int CContainerUI::LineScrollStep() const {
    if (m_scrollStepSize != 0) {
        return m_scrollStepSize;
    }
    return m_host ? m_host->DefaultFontInfo().metrics.tmHeight + 8 : 8;
}

int CContainerUI::PageHeight() const {
    int height = m_rcItem.bottom - m_rcItem.top - m_inset.top - m_inset.bottom;
    if (IsHorizontalBarVisible()) {
        height -= m_horizontalBar->FixedHeight();
    }
    return height;
}

int CContainerUI::PageWidth() const {
    int width = m_rcItem.right - m_rcItem.left - m_inset.left - m_inset.right;
    if (IsVerticalBarVisible()) {
        width -= m_verticalBar->FixedWidth();
    }
    return width;
}

void CContainerUI::ScrollLineUp() {
    SIZE pos = ScrollPos();
    SetScrollPos(SIZE{pos.cx, pos.cy - LineScrollStep()});
}

void CContainerUI::ScrollLineDown() {
    SIZE pos = ScrollPos();
    SetScrollPos(SIZE{pos.cx, pos.cy + LineScrollStep()});
}

void CContainerUI::ScrollPageUp() {
    SIZE pos = ScrollPos();
    SetScrollPos(SIZE{pos.cx, pos.cy - PageHeight()});
}

void CContainerUI::ScrollPageDown() {
    SIZE pos = ScrollPos();
    SetScrollPos(SIZE{pos.cx, pos.cy + PageHeight()});
}

void CContainerUI::ScrollToTop() {
    SetScrollPos(SIZE{ScrollPos().cx, 0});
}

void CContainerUI::ScrollToBottom() {
    SetScrollPos(SIZE{ScrollPos().cx, ScrollRange().cy});
}

void CContainerUI::ScrollLineLeft() {
    SIZE pos = ScrollPos();
    SetScrollPos(SIZE{pos.cx - (m_scrollStepSize ? m_scrollStepSize : 8), pos.cy});
}

void CContainerUI::ScrollLineRight() {
    SIZE pos = ScrollPos();
    SetScrollPos(SIZE{pos.cx + (m_scrollStepSize ? m_scrollStepSize : 8), pos.cy});
}

void CContainerUI::ScrollPageLeft() {
    SIZE pos = ScrollPos();
    SetScrollPos(SIZE{pos.cx - PageWidth(), pos.cy});
}

void CContainerUI::ScrollPageRight() {
    SIZE pos = ScrollPos();
    SetScrollPos(SIZE{pos.cx + PageWidth(), pos.cy});
}

void CContainerUI::ScrollToLeft() {
    SetScrollPos(SIZE{0, ScrollPos().cy});
}

void CContainerUI::ScrollToRight() {
    SetScrollPos(SIZE{ScrollRange().cx, ScrollPos().cy});
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    if (!vertical) {
        DestroyScrollBar(m_verticalBar);
    } else if (!m_verticalBar) {
        m_verticalBar = CreateScrollBar(false);
    }
    if (!horizontal) {
        DestroyScrollBar(m_horizontalBar);
    } else if (!m_horizontalBar) {
        m_horizontalBar = CreateScrollBar(true);
    }
    if (IsVisible()) {
        MarkDirty();
    }
}

CScrollBarUI* CContainerUI::CreateScrollBar(bool horizontal) {
    auto* bar = new (std::nothrow) CScrollBarUI;
    if (!bar) {
        return nullptr;  // the container simply has no bar
    }
    bar->SetOwner(this);
    bar->SetHorizontal(horizontal);
    bar->AttachHost(m_host, nullptr, false);
    if (m_host) {
        bar->RescaleToHost();
        const wchar_t* defaults = m_host->ClassDefaults(horizontal ? L"HScrollBar" : L"VScrollBar");
        if (defaults) {
            bar->ApplySkinAttributeText(defaults);
        }
    }
    return bar;
}

void CContainerUI::DestroyScrollBar(CScrollBarUI*& bar) {
    delete bar;
    bar = nullptr;
}

CScrollBarUI* CContainerUI::VerticalScrollBar() const {
    return m_verticalBar;
}

CScrollBarUI* CContainerUI::HorizontalScrollBar() const {
    return m_horizontalBar;
}
