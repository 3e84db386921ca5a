// CVerticalLayoutUI: children stacked from top to bottom, left-aligned.

#include <cwchar>

#include "ui/controls/layout_math.h"
#include "ui/controls/layouts.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_host.h"

using layoutmath::ClampSize;

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(true) {}

const wchar_t* CVerticalLayoutUI::ClassName() const {
    return L"VerticalLayoutUI";
}

void* CVerticalLayoutUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"VerticalLayout") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CWindowHostUI::LayoutPass pass(m_host);
    CControlUI::SetPos(rc);
    RECT inner = ClientRect();
    if (m_items.IsEmpty()) {
        UpdateScrollBars(inner, 0, 0);
        return;
    }
    SIZE available = {inner.right - inner.left, inner.bottom - inner.top};
    if (IsHorizontalBarVisible()) {
        available.cx += m_horizontalBar->ScrollRange();
    }

    // First pass: the height taken by children with a height of their own.
    int fixedTotal = 0;
    int flowCount = 0;
    int stretchCount = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) {
            continue;
        }
        RECT pad = child->Padding();
        int height = child->MeasureSize(available).cy;
        if (height == 0) {
            ++stretchCount;
        } else {
            height = ClampSize(height, child->MinHeight(), child->MaxHeight());
        }
        fixedTotal += height + pad.top + pad.bottom;
        ++flowCount;
    }
    int stretch = layoutmath::StretchShare(available.cy, fixedTotal, m_childPadding, flowCount, stretchCount);

    // Second pass: place every child.
    int y = inner.top - (IsVerticalBarVisible() ? m_verticalBar->ScrollPos() : 0);
    int x = inner.left - (IsHorizontalBarVisible() ? m_horizontalBar->ScrollPos() : 0);
    int remaining = available.cy;
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
        remaining -= pad.top;
        int height = child->MeasureSize(SIZE{available.cx, remaining}).cy;
        if (height == 0) {
            height = stretch;
        }
        height = ClampSize(height, child->MinHeight(), child->MaxHeight());
        // Without a fixed width the child spans the content width, horizontal scroll range
        // included.
        int width = child->FixedWidth();
        if (width == 0) {
            width = available.cx - pad.left - pad.right;
        }
        if (width < 0) {
            width = 0;
        }
        width = ClampSize(width, child->MinWidth(), child->MaxWidth());
        int left = x + pad.left;
        int top = y + pad.top;
        child->SetPos(RECT{left, top, left + width, top + height});
        y += pad.top + height + pad.bottom + m_childPadding;
        needed += pad.top + height + pad.bottom;
        remaining -= height + pad.bottom + m_childPadding;
    }
    needed += layoutmath::SpacingTotal(m_childPadding, flowCount);
    UpdateScrollBars(inner, 0, needed);
}
