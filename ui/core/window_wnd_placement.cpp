#include "ui/core/window_wnd_placement.h"

namespace {

// One axis: centre a span of `size` on [refLow, refHigh), then keep it inside
// [areaLow, areaHigh). The low edge is tested first so that it wins for an oversized span.
// Integer division truncates toward zero, also for negative (left-of-primary) monitors.
LONG CenterOnAxis(LONG size, LONG refLow, LONG refHigh, LONG areaLow, LONG areaHigh) {
    LONG position = (refLow + refHigh) / 2 - size / 2;
    if (position < areaLow) {
        position = areaLow;
    } else if (position + size > areaHigh) {
        position = areaHigh - size;
    }
    return position;
}

}  // namespace

POINT CenteredWindowPosition(const RECT& window, const RECT& reference, const RECT& workArea) {
    POINT corner;
    corner.x = CenterOnAxis(window.right - window.left, reference.left, reference.right,
                            workArea.left, workArea.right);
    corner.y = CenterOnAxis(window.bottom - window.top, reference.top, reference.bottom,
                            workArea.top, workArea.bottom);
    return corner;
}
