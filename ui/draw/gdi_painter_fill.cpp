// CGdiPainter: solid and gradient fills and border lines.

#include "ui/draw/color_convert.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"
#include "ui/draw/gdiplus_objects.h"
#include "ui/draw/msimg32_entry.h"

using namespace Gdiplus::DllExports;

namespace {

BYTE Channel(DWORD argb, int shift) {
    return static_cast<BYTE>((argb >> shift) & 0xFF);
}

// Banded stand-in for GradientFill: 2^s bands, counted from the bottom.
void DrawBands(HDC dc, const RECT& rc, DWORD top, DWORD bottom, int steps) {
    const int shift = steps < 16 ? 3 : 4;
    const int n = 1 << shift;
    const int height = rc.bottom - rc.top;
    for (int i = 0; i < n; ++i) {
        auto mix = [&](int s) {
            return static_cast<BYTE>((Channel(bottom, s) * (n - i) + Channel(top, s) * i) >> shift);
        };
        CGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(mix(16), mix(8), mix(0))));
        RECT band = {rc.left, rc.bottom - ((i + 1) * height >> shift), rc.right,
                     rc.bottom - (i * height >> shift)};
        FillRect(dc, &band, brush.Get());
    }
}

void DrawOpaqueGradient(HDC dc, const RECT& rc, DWORD top, DWORD bottom, int steps) {
    GradientFillProc gradientFill = GradientFillEntry();
    if (gradientFill == nullptr) {
        DrawBands(dc, rc, top, bottom, steps);
        return;
    }
    auto channel = [](DWORD argb, int shift) { return static_cast<COLOR16>(Channel(argb, shift) << 8); };
    TRIVERTEX vertices[2] = {
        {rc.left, rc.top, channel(top, 16), channel(top, 8), channel(top, 0), 0xFF00},
        {rc.right, rc.bottom, channel(bottom, 16), channel(bottom, 8), channel(bottom, 0), 0xFF00},
    };
    GRADIENT_RECT gradient = {0, 1};
    gradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
}

CGdiObject<HPEN> MakePen(int style, int width, DWORD argb) {
    LOGPEN pen = {static_cast<UINT>(style), POINT{width, 0}, ToColorRef(argb)};
    return CGdiObject<HPEN>(CreatePenIndirect(&pen));
}

}  // namespace

void CGdiPainter::FillColor(HDC dc, const RECT& rc, DWORD argb) {
    CGdiplusGraphics graphics;
    CGdiplusBrush brush;
    if (GdipCreateFromHDC(dc, graphics.Out()) != Gdiplus::Ok ||
        GdipCreateSolidFill(argb, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.Out())) != Gdiplus::Ok) {
        return;
    }
    GdipFillRectangleI(graphics.Get(), brush.Get(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

void CGdiPainter::FillGradient(HDC dc, const RECT& rc, DWORD top, DWORD bottom, int steps) {
    BYTE alpha = static_cast<BYTE>((Channel(top, 24) + Channel(bottom, 24)) / 2);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    if (alpha == 0 || width <= 0 || height <= 0) {
        return;
    }
    if (alpha == 255) {
        DrawOpaqueGradient(dc, rc, top, bottom, steps);
        return;
    }
    // Partial alpha: draw opaque off-screen, then blend the whole band at the averaged alpha.
    CMemoryDC memory(dc);
    CGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!memory.Get() || !bitmap) {
        return;
    }
    CSelectScope select(memory.Get(), bitmap.Get());
    DrawOpaqueGradient(memory.Get(), RECT{0, 0, width, height}, top, bottom, steps);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, 0};
    BlendBitmap(dc, rc.left, rc.top, width, height, memory.Get(), 0, 0, width, height, blend);
}

void CGdiPainter::StrokeLine(HDC dc, const RECT& rc, int width, DWORD argb, int penStyle) {
    CGdiObject<HPEN> pen = MakePen(penStyle, width, argb);
    CSelectScope select(dc, pen.Get());
    POINT previous;
    MoveToEx(dc, rc.left, rc.top, &previous);
    LineTo(dc, rc.right, rc.bottom);
    MoveToEx(dc, previous.x, previous.y, nullptr);
}

void CGdiPainter::StrokeRect(HDC dc, const RECT& rc, int width, DWORD argb) {
    StrokeRoundRect(dc, rc, width, argb, 0, 0);
}

void CGdiPainter::StrokeRoundRect(HDC dc, const RECT& rc, int width, DWORD argb, int cornerWidth,
                                  int cornerHeight) {
    CGdiObject<HPEN> pen = MakePen(PS_INSIDEFRAME, width, argb);
    CSelectScope selectPen(dc, pen.Get());
    CSelectScope selectBrush(dc, GetStockObject(NULL_BRUSH));
    if (cornerWidth > 0 || cornerHeight > 0) {
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, cornerWidth, cornerHeight);
    } else {
        Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
    }
}
