// CHorizontalLayoutUI: children side by side from left to right, top-aligned.

#include <cwchar>

#include "ui/controls/layout_math.h"
#include "ui/controls/layouts.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_host.h"

using layoutmath::ClampSize;

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(false) {}

const wchar_t* CHorizontalLayoutUI::ClassName() const {
    return L"HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"HorizontalLayout") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CWindowHostUI::LayoutPass pass(m_host);
    CControlUI::SetPos(rc);
    RECT inner = InsetRect();
    if (m_items.IsEmpty()) {
        UpdateScrollBars(inner, 0, 0);
        return;
    }
    ExcludeScrollBars(inner);
    bool barShown = IsHorizontalBarVisible();
    SIZE available = {inner.right - inner.left, inner.bottom - inner.top};
    if (barShown) {
        available.cx += m_horizontalBar->ScrollRange();
    }

    // First pass: the width taken by children with a width of their own.
    int fixedTotal = 0;
    int flowCount = 0;
    int stretchCount = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) {
            continue;
        }
        RECT pad = child->Padding();
        int width = child->MeasureSize(available).cx;
        if (width == 0) {
            ++stretchCount;
        } else {
            width = ClampSize(width, child->MinWidth(), child->MaxWidth());
        }
        fixedTotal += width + pad.left + pad.right;
        ++flowCount;
    }
    int stretch = layoutmath::StretchShare(available.cx, fixedTotal, m_childPadding, flowCount, stretchCount);

    // Second pass: place every child.
    int x = inner.left - (barShown ? m_horizontalBar->ScrollPos() : 0);
    int remaining = available.cx;
    int needed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible()) {
            continue;
        }
        if (child->IsFloat()) {
            PlaceFloatChild(i);
            continue;
        }
        RECT pad = child->Padding();
        remaining -= pad.left;
        int width = child->MeasureSize(SIZE{remaining, available.cy}).cx;
        if (width == 0) {
            width = stretch;
        }
        width = ClampSize(width, child->MinWidth(), child->MaxWidth());
        int height = child->FixedHeight();
        if (height == 0) {
            height = inner.bottom - inner.top - pad.top - pad.bottom;
        }
        if (height < 0) {
            height = 0;
        }
        height = ClampSize(height, child->MinHeight(), child->MaxHeight());
        int left = x + pad.left;
        int top = inner.top + pad.top;
        child->SetPos(RECT{left, top, left + width, top + height});
        x += pad.left + width + pad.right + m_childPadding;
        needed += pad.left + width + pad.right;
        remaining -= width + pad.right + m_childPadding;
    }
    needed += layoutmath::SpacingTotal(m_childPadding, flowCount);

    if (m_horizontalBar) {
        int innerWidth = inner.right - inner.left;
        if (needed > innerWidth) {
            m_horizontalBar->SetScrollRange(needed - innerWidth);
            if (!m_horizontalBar->IsVisible()) {
                m_horizontalBar->SetVisible(true);
                m_horizontalBar->SetScrollPos(0);
                inner.bottom -= m_horizontalBar->FixedHeight();
            }
        } else if (m_horizontalBar->IsVisible()) {
            m_horizontalBar->SetVisible(false);
            m_horizontalBar->SetScrollRange(0);
            m_horizontalBar->SetScrollPos(0);
            inner.bottom += m_horizontalBar->FixedHeight();
        }
    }
    UpdateScrollBars(inner, needed, 0);
}
