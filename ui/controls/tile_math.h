#pragma once
// Arithmetic of the tile layout's grid, kept apart from controls and windows: the column count,
// the width a member is measured with, and the horizontal span of a cell. `spacing` is the
// layout's child padding; half of it (truncated) separates a cell from each inner neighbour.

namespace tilemath {

// The columns an inner width holds: inner width / item width when the item width is above 0,
// else `columns`; never below 1, so a narrow or empty area still gets one column.
int ColumnCount(int innerWidth, int itemWidth, int columns);

// The width a member at `position` (0-based) of its row is measured with, before its size
// limits: the column width less its side paddings, less the whole spacing inside the row or
// half of it at either end.
int MemberWidth(int columnWidth, int padLeft, int padRight, int position, int columns, int spacing);

struct CellSpan {
    int left;
    int right;
};

// The horizontal extent of a cell in `column` starting at `x`: inset by the child's paddings,
// and by half the spacing on each side that has a neighbouring column.
CellSpan CellAt(int x, int columnWidth, int column, int columns, int spacing, int padLeft, int padRight);

}  // namespace tilemath
