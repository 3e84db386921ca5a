#include "ui/controls/scroll_bar_geometry.h"

namespace {

// Exchanging x and y turns a horizontal bar into a vertical one and back.
RECT Transpose(const RECT& rc) {
    return RECT{rc.top, rc.left, rc.bottom, rc.right};
}

ScrollBarParts VerticalParts(const RECT& item, const ScrollBarLayoutInput& in) {
    const int s = in.side;
    const LONG l = item.left, t = item.top, b = item.bottom;
    const int height = b - t;
    int free = height;
    free -= in.showButton1 ? s : 0;
    free -= in.showButton2 ? s : 0;
    ScrollBarParts parts;
    if (s >= free) {
        // No room for a thumb: the buttons share the length.
        int g = height / 2 < s ? height / 2 : s;
        parts.button1 = in.showButton1 ? RECT{l, t, l + s, t + g} : RECT{l, t, l, t};
        parts.button2 = in.showButton2 ? RECT{l, b - g, l + s, b} : RECT{l, b, l, b};
        return parts;
    }
    parts.button1 = in.showButton1 ? RECT{l, t, l + s, t + s} : RECT{l, t, l, t};
    parts.button2 = in.showButton2 ? RECT{l, b - s, l + s, b} : RECT{l, b, l, b};
    RECT& thumb = parts.thumb;
    thumb.left = l;
    thumb.right = l + s;
    if (in.range <= 0) {
        thumb.top = parts.button1.bottom;
        thumb.bottom = parts.button2.top;
        return parts;
    }
    // 64-bit products: a long list's range times the bar length can pass 2^31.
    long long length = static_cast<long long>(height) * free / (height + static_cast<long long>(in.range));
    if (length < s) {
        length = s;
    }
    thumb.top = parts.button1.bottom + static_cast<LONG>((free - length) * in.position / in.range);
    thumb.bottom = thumb.top + static_cast<LONG>(length);
    if (thumb.bottom > parts.button2.top) {
        thumb.top = parts.button2.top - static_cast<LONG>(length);
        thumb.bottom = parts.button2.top;
    }
    return parts;
}

}  // namespace

ScrollBarParts ComputeScrollBarParts(const ScrollBarLayoutInput& input) {
    if (!input.horizontal) {
        return VerticalParts(input.item, input);
    }
    ScrollBarParts parts = VerticalParts(Transpose(input.item), input);
    parts.button1 = Transpose(parts.button1);
    parts.button2 = Transpose(parts.button2);
    parts.thumb = Transpose(parts.thumb);
    return parts;
}

int LengthAlong(const RECT& rc, bool horizontal) {
    return horizontal ? rc.right - rc.left : rc.bottom - rc.top;
}

int StartAlong(const RECT& rc, bool horizontal) {
    return horizontal ? rc.left : rc.top;
}

int CoordinateAlong(POINT point, bool horizontal) {
    return horizontal ? point.x : point.y;
}

int DragDelta(int moved, int range, int travel) {
    if (travel == 0) {
        return 0;
    }
    return static_cast<int>(static_cast<long long>(moved) * range / travel);
}

int RailSide(POINT point, const RECT& thumb, bool horizontal) {
    if (IsRectEmpty(&thumb)) {
        return 0;  // the buttons fill the bar: there is no rail to page with
    }
    int along = CoordinateAlong(point, horizontal);
    if (along < StartAlong(thumb, horizontal)) {
        return -1;
    }
    if (along >= (horizontal ? thumb.right : thumb.bottom)) {
        return 1;
    }
    return 0;
}
