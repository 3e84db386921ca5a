#pragma once
// Where a window goes when it is centred: pure arithmetic on rectangles, apart from the
// Windows calls that gather them, so it can be checked without a window or a monitor.

#include <windows.h>

// Top-left corner for a window whose outer rectangle is `window`, centred on `reference` and
// then pushed back inside `workArea`: a position before the area's left (top) edge moves to
// that edge, otherwise one running past the right (bottom) edge is moved back. So a window
// larger than a work area it is centred on starts at the area's left and top edges.
POINT CenteredWindowPosition(const RECT& window, const RECT& reference, const RECT& workArea);
