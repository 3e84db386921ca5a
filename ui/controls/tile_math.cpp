#include "ui/controls/tile_math.h"

namespace tilemath {

int ColumnCount(int innerWidth, int itemWidth, int columns) {
    if (itemWidth > 0) {
        columns = innerWidth / itemWidth;
    }
    return columns < 1 ? 1 : columns;
}

int MemberWidth(int columnWidth, int padLeft, int padRight, int position, int columns, int spacing) {
    bool atEnd = position == 0 || position == columns - 1;
    return columnWidth - padLeft - padRight - (atEnd ? spacing / 2 : spacing);
}

CellSpan CellAt(int x, int columnWidth, int column, int columns, int spacing, int padLeft, int padRight) {
    int half = spacing / 2;
    CellSpan span;
    span.left = x + padLeft + (column == 0 ? 0 : half);
    span.right = x + columnWidth - padRight - (column == columns - 1 ? 0 : half);
    return span;
}

}  // namespace tilemath
