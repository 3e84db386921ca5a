// The placement of the vertical and horizontal layouts: one two-pass algorithm along the
// layout's axis. The first pass measures the children in flow and counts those without a size
// of their own; the second gives those equal shares of what is left and places every child.

#include "ui/controls/layout_math.h"
#include "ui/controls/layouts.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_host.h"

using layoutmath::ClampSize;
using layoutmath::ToInt;

namespace {

// Sizes, paddings and limits read along the main axis (the one children are stacked on) or
// across it, so that one placement serves both directions.
struct Axis {
    bool vertical;

    int Main(SIZE s) const { return vertical ? s.cy : s.cx; }
    int Cross(SIZE s) const { return vertical ? s.cx : s.cy; }
    SIZE Size(int main, int cross) const { return vertical ? SIZE{cross, main} : SIZE{main, cross}; }
    int MainLength(const RECT& r) const { return vertical ? r.bottom - r.top : r.right - r.left; }
    int MainStart(const RECT& r) const { return vertical ? r.top : r.left; }
    int CrossStart(const RECT& r) const { return vertical ? r.left : r.top; }
    int MainBefore(const RECT& pad) const { return vertical ? pad.top : pad.left; }
    int MainAfter(const RECT& pad) const { return vertical ? pad.bottom : pad.right; }
    int CrossBefore(const RECT& pad) const { return vertical ? pad.left : pad.top; }
    int CrossAfter(const RECT& pad) const { return vertical ? pad.right : pad.bottom; }
    int ClampMain(int size, const CControlUI* c) const {
        return vertical ? ClampSize(size, c->MinHeight(), c->MaxHeight()) : ClampSize(size, c->MinWidth(), c->MaxWidth());
    }
    int ClampCross(int size, const CControlUI* c) const {
        return vertical ? ClampSize(size, c->MinWidth(), c->MaxWidth()) : ClampSize(size, c->MinHeight(), c->MaxHeight());
    }
    int FixedCross(const CControlUI* c) const { return vertical ? c->FixedWidth() : c->FixedHeight(); }
    RECT Rect(long long mainPos, long long crossPos, int main, int cross) const {
        RECT along = {ToInt(mainPos), ToInt(crossPos), ToInt(mainPos + main), ToInt(crossPos + cross)};
        return vertical ? RECT{along.top, along.left, along.bottom, along.right} : along;
    }
};

}  // namespace

void CLinearLayoutUI::SetPos(RECT rc) {
    CWindowHostUI::LayoutPass pass(m_host);
    CControlUI::SetPos(rc);
    RECT inner = InsetRect();
    if (m_items.IsEmpty()) {
        // An empty vertical layout hands its bars the room they already take; a horizontal one
        // hands them the whole inset area.
        if (m_vertical) {
            ExcludeScrollBars(inner);
        }
        UpdateScrollBars(inner, 0, 0);
        return;
    }
    ExcludeScrollBars(inner);
    const Axis axis{m_vertical};
    const long long scrolledWidth = IsHorizontalBarVisible() ? m_horizontalBar->ScrollRange() : 0;
    SIZE available = {ToInt(static_cast<long long>(inner.right) - inner.left + scrolledWidth),
                      ToInt(static_cast<long long>(inner.bottom) - inner.top)};

    // First pass: the length taken by children with a size of their own.
    long long fixedTotal = 0;
    int flowCount = 0;
    int stretchCount = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) {
            continue;
        }
        RECT pad = child->Padding();
        int length = axis.Main(child->MeasureSize(available));
        if (length == 0) {
            ++stretchCount;
        } else {
            length = axis.ClampMain(length, child);
        }
        fixedTotal += static_cast<long long>(length) + axis.MainBefore(pad) + axis.MainAfter(pad);
        ++flowCount;
    }
    int stretch =
        layoutmath::StretchShare(axis.Main(available), fixedTotal, m_childPadding, flowCount, stretchCount);

    // Second pass: place every child. The main axis follows its scroll bar; across, only a
    // vertical layout follows the horizontal bar (a horizontal layout's children stay top-aligned).
    CScrollBarUI* mainBar = m_vertical ? m_verticalBar : m_horizontalBar;
    bool mainBarShown = mainBar && mainBar->IsVisible();
    long long position = static_cast<long long>(axis.MainStart(inner)) - (mainBarShown ? mainBar->ScrollPos() : 0);
    long long cross = static_cast<long long>(axis.CrossStart(inner)) -
                      (m_vertical && IsHorizontalBarVisible() ? m_horizontalBar->ScrollPos() : 0);
    long long remaining = axis.Main(available);
    long long needed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        if (PlaceOutOfFlow(i)) {
            continue;
        }
        CControlUI* child = ItemAt(i);
        RECT pad = child->Padding();
        remaining -= axis.MainBefore(pad);
        int length = axis.Main(child->MeasureSize(axis.Size(ToInt(remaining), axis.Cross(available))));
        if (length == 0) {
            length = stretch;
        }
        length = axis.ClampMain(length, child);
        // Without a fixed size across, the child spans the content (for a vertical layout the
        // horizontal scroll range included).
        int breadth = axis.FixedCross(child);
        if (breadth == 0) {
            breadth = ToInt(static_cast<long long>(axis.Cross(available)) - axis.CrossBefore(pad) - axis.CrossAfter(pad));
        }
        if (breadth < 0) {
            breadth = 0;
        }
        breadth = axis.ClampCross(breadth, child);
        child->SetPos(axis.Rect(position + axis.MainBefore(pad), cross + axis.CrossBefore(pad), length, breadth));
        long long taken = static_cast<long long>(axis.MainBefore(pad)) + length + axis.MainAfter(pad);
        position += taken + m_childPadding;
        needed += taken;
        remaining -= static_cast<long long>(length) + axis.MainAfter(pad) + m_childPadding;
    }
    needed += layoutmath::SpacingTotal(m_childPadding, flowCount);

    const int neededLength = ToInt(needed);
    if (m_vertical) {
        UpdateScrollBars(inner, 0, neededLength);
        return;
    }
    FitHorizontalBar(inner, neededLength);
    UpdateScrollBars(inner, neededLength, 0);
}

// The horizontal layout keeps its own horizontal bar: shown with the overflow as its range
// when the row is wider than the inner area, hidden otherwise, the inner area following.
void CLinearLayoutUI::FitHorizontalBar(RECT& inner, int needed) {
    if (!m_horizontalBar) {
        return;
    }
    long long innerWidth = static_cast<long long>(inner.right) - inner.left;
    if (needed > innerWidth) {
        m_horizontalBar->SetScrollRange(ToInt(needed - innerWidth));
        if (!m_horizontalBar->IsVisible()) {
            m_horizontalBar->SetVisible(true);
            m_horizontalBar->SetScrollPos(0);
            inner.bottom = ToInt(static_cast<long long>(inner.bottom) - m_horizontalBar->FixedHeight());
        }
    } else if (m_horizontalBar->IsVisible()) {
        m_horizontalBar->SetVisible(false);
        m_horizontalBar->SetScrollRange(0);
        m_horizontalBar->SetScrollPos(0);
        inner.bottom = ToInt(static_cast<long long>(inner.bottom) + m_horizontalBar->FixedHeight());
    }
}
