// The pixel routines of layered painting.

#include <algorithm>
#include <cstring>

#include "ui/draw/gdi_painter.h"

namespace {

// A rectangle reaching left of the buffer or beyond its row would write into other rows or
// before the buffer, so it is cut to the row first. False when nothing is left.
bool ClipToRow(RECT& rc, int rowLength) {
    rc.left = std::max(rc.left, LONG{0});
    rc.top = std::max(rc.top, LONG{0});
    rc.right = std::min(rc.right, static_cast<LONG>(rowLength));
    return rc.left < rc.right && rc.top < rc.bottom;
}

}  // namespace

void CGdiPainter::ClearAlphaRect(DWORD* bits, int rowLength, const RECT& rc) {
    RECT area = rc;
    if (!bits || !ClipToRow(area, rowLength)) {
        return;
    }
    size_t rowBytes = static_cast<size_t>(area.right - area.left) * sizeof(DWORD);
    for (LONG y = area.top; y < area.bottom; ++y) {
        std::memset(bits + static_cast<size_t>(y) * rowLength + area.left, 0, rowBytes);
    }
}

void CGdiPainter::RestoreAlphaRect(DWORD* bits, int rowLength, const RECT& rc) {
    RECT area = rc;
    if (!bits || !ClipToRow(area, rowLength)) {
        return;
    }
    for (LONG y = area.top; y < area.bottom; ++y) {
        DWORD* pixel = bits + static_cast<size_t>(y) * rowLength + area.left;
        for (LONG x = area.left; x < area.right; ++x, ++pixel) {
            if ((*pixel & 0xFF000000) == 0 && (*pixel & 0x00FFFFFF) != 0) {
                *pixel |= 0xFF000000;
            }
        }
    }
}
