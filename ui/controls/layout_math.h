#pragma once
// Arithmetic of the vertical and horizontal layouts, kept apart from controls and windows so it
// can be checked on its own: size limits, the shares of free space, and the separator strip
// with its drag rules.

#include <windows.h>

namespace layoutmath {

// Layout sums are taken in 64 bits and cut to the 32-bit range where they are stored: skin
// numbers may be anything wcstol gives, and a sum of a few of them must not wrap around.
int ToInt(long long value);

// Below the minimum becomes the minimum; then above the maximum becomes the maximum (so the
// maximum wins when the limits contradict each other).
int ClampSize(int size, int minimum, int maximum);

// The equal share of every stretch child: what is left of `available` after the fixed sizes
// and the spacing between the `flowCount` children, divided by `stretchCount`. Never negative,
// and 0 when no child stretches. The remainder of the division stays unused.
int StretchShare(int available, long long fixedTotal, int childPadding, int flowCount, int stretchCount);

// The total child spacing between `flowCount` children in a row.
long long SpacingTotal(int childPadding, int flowCount);

// The separator strip of a layout whose rectangle is `base`. A positive size puts it at the
// right (bottom) edge, a negative one at the left (top) edge. A vertical strip never leaves
// `base`; a horizontal one may.
RECT SeparatorRect(const RECT& base, int separator, bool vertical);

// One mouse move of a separator drag along the axis. `nearEdge`/`farEdge` are the dragged
// rectangle's left/right (or top/bottom) and `pointer` the pointer's coordinate, `delta` its
// move since the last event. Moves the edge the separator sits on, cut to the size limits;
// returns false (edges unchanged) when the move is ignored.
bool DragSeparatorEdge(int& nearEdge, int& farEdge, int separator, int pointer, int delta, int minSize,
                       int maxSize, bool vertical);

}  // namespace layoutmath
