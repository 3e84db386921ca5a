#pragma once
// Geometry of a scroll bar's parts (arrow buttons and thumb) and the drag arithmetic. Pure
// rectangle arithmetic, testable without a window. Everything is worked out for a vertical bar;
// a horizontal bar is the same with x and y exchanged.

#include <windows.h>

struct ScrollBarParts {
    RECT button1 = {0, 0, 0, 0};  // up or left
    RECT button2 = {0, 0, 0, 0};  // down or right
    RECT thumb = {0, 0, 0, 0};    // empty when the buttons leave no room
};

struct ScrollBarLayoutInput {
    RECT item = {0, 0, 0, 0};
    bool horizontal = false;
    int side = 16;  // the square buttons' side: the bar's thickness
    int range = 0;
    int position = 0;
    bool showButton1 = true;
    bool showButton2 = true;
};

ScrollBarParts ComputeScrollBarParts(const ScrollBarLayoutInput& input);

// The length along the bar and the coordinate along it, for either orientation.
int LengthAlong(const RECT& rc, bool horizontal);
int StartAlong(const RECT& rc, bool horizontal);
int CoordinateAlong(POINT point, bool horizontal);

// Position change for a pointer moved `moved` pixels along the bar since the thumb was pressed:
// the thumb's travel (free length less its own length) stands for the whole range. 0 when the
// thumb cannot travel.
int DragDelta(int moved, int range, int travel);

// Where a point on the rail lies relative to the thumb: -1 before, 1 after, 0 beside it.
int RailSide(POINT point, const RECT& thumb, bool horizontal);
