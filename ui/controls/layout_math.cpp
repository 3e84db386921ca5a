#include "ui/controls/layout_math.h"

#include <climits>

namespace layoutmath {

int ToInt(long long value) {
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

int ClampSize(int size, int minimum, int maximum) {
    if (size < minimum) {
        size = minimum;
    }
    if (size > maximum) {
        size = maximum;
    }
    return size;
}

long long SpacingTotal(int childPadding, int flowCount) {
    return flowCount > 1 ? static_cast<long long>(childPadding) * (flowCount - 1) : 0;
}

int StretchShare(int available, long long fixedTotal, int childPadding, int flowCount, int stretchCount) {
    // Without a stretch child there is nothing to share (and nothing to divide by).
    if (stretchCount <= 0) {
        return 0;
    }
    long long share = (available - fixedTotal - SpacingTotal(childPadding, flowCount)) / stretchCount;
    return share < 0 ? 0 : ToInt(share);
}

RECT SeparatorRect(const RECT& base, int separator, bool vertical) {
    RECT rc = base;
    if (!vertical) {
        if (separator > 0) {
            rc.left = base.right - separator;
        } else {
            rc.right = base.left - separator;
        }
        return rc;
    }
    if (separator > 0) {
        rc.top = base.bottom - separator > base.top ? base.bottom - separator : base.top;
    } else {
        rc.bottom = base.top - separator < base.bottom ? base.top - separator : base.bottom;
    }
    return rc;
}

namespace {

// Moves `moving` by `delta` and cuts the resulting size (measured from `fixed`) to the limits.
// `sign` is +1 when the moving edge is the far one, -1 when it is the near one.
bool MoveEdgeWithinLimits(int& moving, int fixed, int delta, int sign, int minSize, int maxSize) {
    int current = (moving - fixed) * sign;
    int edge = moving + delta;
    if (minSize >= (edge - fixed) * sign) {
        if (minSize >= current) {
            return false;
        }
        edge = fixed + sign * minSize;
    }
    if ((edge - fixed) * sign >= maxSize) {
        if (current >= maxSize) {
            return false;
        }
        edge = fixed + sign * maxSize;
    }
    moving = edge;
    return true;
}

}  // namespace

bool DragSeparatorEdge(int& nearEdge, int& farEdge, int separator, int pointer, int delta, int minSize,
                       int maxSize, bool vertical) {
    // The pointer must be on the strip's side of the edge for the edge to follow it. The
    // vertical layout measures its tolerance the other way round, so its edge trails a pointer
    // that moves away from the layout by the strip's height.
    int lag = vertical ? separator : -separator;
    int& edge = separator < 0 ? nearEdge : farEdge;
    if ((delta > 0 && pointer < edge + (separator < 0 ? 0 : lag)) ||
        (delta < 0 && pointer > edge + (separator < 0 ? lag : 0))) {
        return false;
    }
    if (separator < 0) {
        return MoveEdgeWithinLimits(nearEdge, farEdge, delta, -1, minSize, maxSize);
    }
    return MoveEdgeWithinLimits(farEdge, nearEdge, delta, +1, minSize, maxSize);
}

}  // namespace layoutmath
