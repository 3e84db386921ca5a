#pragma once
// CTileLayoutUI: children in a grid of equal-width columns, rows filled from left to right and
// from top to bottom. Each row is as tall as its tallest member asks, and each child is centred
// in its cell. The column count is "columns", or follows from the width of "itemsize".

#include "ui/controls/container.h"

class CTileLayoutUI : public CContainerUI {
public:
    CTileLayoutUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    SIZE ItemSize() const { return m_itemSize; }
    // Only the width takes part in the layout; the height is kept for the skin's sake.
    void SetItemSize(int cx, int cy);
    // The columns of the last placement, or the value set since.
    int Columns() const { return m_columns; }
    // Values below 1 are ignored.
    void SetColumns(int columns);

private:
    // One walk through the grid: where the current row starts and how far it reaches.
    struct GridWalk {
        int rowStart;
        int y;
        int columnWidth;
        int rowHeight;
        int item;
    };

    // The height of the row starting at child `first`: the largest of its members' heights
    // with their vertical paddings.
    int RowHeight(int first, int columnWidth) const;
    // Places one grid item in its cell; returns the bottom of the cell's row band.
    int PlaceInCell(CControlUI* child, const GridWalk& walk) const;

    SIZE m_itemSize = {0, 0};
    int m_columns = 1;
};
