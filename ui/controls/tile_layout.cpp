// CTileLayoutUI: the grid placement and its attributes.

#include "ui/controls/tile_layout.h"

#include <cwchar>

#include "ui/util/attribute_parse.h"
#include "ui/controls/layout_math.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/tile_math.h"
#include "ui/core/window_host.h"

using layoutmath::ClampSize;

namespace {

// Measured without a height limit: a row takes whatever its members ask for.
constexpr int kUnboundedHeight = 9999;

bool IsGridItem(CControlUI* child) {
    return child->IsVisible() && !child->IsFloat();
}

}  // namespace

CTileLayoutUI::CTileLayoutUI() = default;

const wchar_t* CTileLayoutUI::ClassName() const {
    return L"TileLayoutUI";
}

void* CTileLayoutUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"TileLayout") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

void CTileLayoutUI::SetItemSize(int cx, int cy) {
    if (m_itemSize.cx == cx && m_itemSize.cy == cy) {
        return;
    }
    m_itemSize = SIZE{cx, cy};
    MarkDirty();
}

void CTileLayoutUI::SetColumns(int columns) {
    if (columns < 1) {
        return;
    }
    m_columns = columns;
    MarkDirty();
}

void CTileLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"itemsize") == 0) {
        SIZE size = attr::ParseSize(value);
        SetItemSize(size.cx, size.cy);
    } else if (name && value && wcscmp(name, L"columns") == 0) {
        SetColumns(attr::ParseInt(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CTileLayoutUI::SetPos(RECT rc) {
    CWindowHostUI::LayoutPass pass(m_host);
    CControlUI::SetPos(rc);
    RECT inner = ClientRect();
    if (m_items.IsEmpty()) {
        UpdateScrollBars(inner, 0, 0);
        return;
    }
    int width = inner.right - inner.left;
    m_columns = tilemath::ColumnCount(width, m_itemSize.cx, m_columns);
    int horizontalPos = 0;
    if (IsHorizontalBarVisible()) {
        // The columns share the whole scrollable width.
        width += m_horizontalBar->ScrollRange();
        horizontalPos = m_horizontalBar->ScrollPos();
    }
    int verticalPos = IsVerticalBarVisible() ? m_verticalBar->ScrollPos() : 0;
    GridWalk walk = {inner.left - horizontalPos, inner.top - verticalPos, width / m_columns, 0, 0};
    int needed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        if (PlaceOutOfFlow(i)) {
            continue;
        }
        CControlUI* child = ItemAt(i);
        if (walk.item % m_columns == 0) {
            walk.rowHeight = RowHeight(i, walk.columnWidth);
        }
        int bandBottom = PlaceInCell(child, walk);
        needed = bandBottom - inner.top + verticalPos;
        ++walk.item;
        if (walk.item % m_columns == 0) {
            walk.y += walk.rowHeight + m_childPadding;
            walk.rowHeight = 0;
        }
    }
    UpdateScrollBars(inner, 0, needed);
}

int CTileLayoutUI::RowHeight(int first, int columnWidth) const {
    int height = 0;
    int position = 0;
    for (int i = first; i < m_items.GetSize() && position < m_columns; ++i) {
        CControlUI* member = ItemAt(i);
        if (!IsGridItem(member)) {
            continue;
        }
        RECT pad = member->Padding();
        int available =
            tilemath::MemberWidth(columnWidth, pad.left, pad.right, position, m_columns, m_childPadding);
        available = ClampSize(available, member->MinWidth(), member->MaxWidth());
        int measured = member->MeasureSize(SIZE{available, kUnboundedHeight}).cy;
        measured = ClampSize(measured, member->MinHeight(), member->MaxHeight());
        if (pad.top + pad.bottom + measured > height) {
            height = pad.top + pad.bottom + measured;
        }
        ++position;
    }
    return height;
}

// A child smaller than its cell floats in the cell's middle; the bottom padding of the row's
// tallest member only makes the band taller.
int CTileLayoutUI::PlaceInCell(CControlUI* child, const GridWalk& walk) const {
    RECT pad = child->Padding();
    int column = walk.item % m_columns;
    tilemath::CellSpan span = tilemath::CellAt(walk.rowStart + column * walk.columnWidth, walk.columnWidth,
                                               column, m_columns, m_childPadding, pad.left, pad.right);
    int top = walk.y + pad.top;
    int bandBottom = walk.y + walk.rowHeight;
    SIZE cell = {span.right - span.left, walk.rowHeight - pad.top};
    SIZE size = child->MeasureSize(cell);
    if (size.cx == 0) {
        size.cx = cell.cx;
    }
    if (size.cy == 0) {
        size.cy = cell.cy;
    }
    size.cx = ClampSize(size.cx, child->MinWidth(), child->MaxWidth());
    size.cy = ClampSize(size.cy, child->MinHeight(), child->MaxHeight());
    int left = (span.left + span.right - size.cx) / 2;
    int childTop = (top + bandBottom - size.cy) / 2;
    child->SetPos(RECT{left, childTop, left + size.cx, childTop + size.cy});
    return bandBottom;
}
