#include "ui/controls/control_drawing.h"

#include <gdiplus.h>

#include "ui/draw/gdi_objects.h"

namespace controldraw {

namespace {

using namespace Gdiplus::DllExports;

class CGdiplusGraphics {
public:
    explicit CGdiplusGraphics(HDC dc) {
        if (GdipCreateFromHDC(dc, &m_graphics) != Gdiplus::Ok) {
            m_graphics = nullptr;
        }
    }
    ~CGdiplusGraphics() {
        if (m_graphics) {
            GdipDeleteGraphics(m_graphics);
        }
    }
    CGdiplusGraphics(const CGdiplusGraphics&) = delete;
    CGdiplusGraphics& operator=(const CGdiplusGraphics&) = delete;
    Gdiplus::GpGraphics* Get() const { return m_graphics; }

private:
    Gdiplus::GpGraphics* m_graphics = nullptr;
};

class CGdiplusSolidBrush {
public:
    explicit CGdiplusSolidBrush(DWORD argb) {
        if (GdipCreateSolidFill(argb, &m_brush) != Gdiplus::Ok) {
            m_brush = nullptr;
        }
    }
    ~CGdiplusSolidBrush() {
        if (m_brush) {
            GdipDeleteBrush(m_brush);
        }
    }
    CGdiplusSolidBrush(const CGdiplusSolidBrush&) = delete;
    CGdiplusSolidBrush& operator=(const CGdiplusSolidBrush&) = delete;
    Gdiplus::GpSolidFill* Get() const { return m_brush; }

private:
    Gdiplus::GpSolidFill* m_brush = nullptr;
};

// Vertical two-colour gradient drawn fully opaque with GradientFill.
void DrawOpaqueGradient(HDC dc, const RECT& rc, DWORD top, DWORD bottom) {
    auto channel = [](DWORD argb, int shift) { return static_cast<COLOR16>(((argb >> shift) & 0xFF) << 8); };
    TRIVERTEX vertices[2] = {
        {rc.left, rc.top, channel(top, 16), channel(top, 8), channel(top, 0), 0xFF00},
        {rc.right, rc.bottom, channel(bottom, 16), channel(bottom, 8), channel(bottom, 0), 0xFF00},
    };
    GRADIENT_RECT gradient = {0, 1};
    GradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
}

CGdiObject<HPEN> MakePen(int style, int width, DWORD argb) {
    LOGPEN pen = {static_cast<UINT>(style), POINT{width, 0}, ToColorRef(argb)};
    return CGdiObject<HPEN>(CreatePenIndirect(&pen));
}

}  // namespace

void FillColor(HDC dc, const RECT& rc, DWORD argb) {
    CGdiplusGraphics graphics(dc);
    CGdiplusSolidBrush brush(argb);
    if (!graphics.Get() || !brush.Get()) {
        return;
    }
    GdipFillRectangleI(graphics.Get(), brush.Get(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

void FillGradient(HDC dc, const RECT& rc, DWORD top, DWORD bottom, int /*steps*/) {
    BYTE alpha = static_cast<BYTE>(((top >> 24) + (bottom >> 24)) / 2);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    if (alpha == 0 || width <= 0 || height <= 0) {
        return;
    }
    if (alpha == 255) {
        DrawOpaqueGradient(dc, rc, top, bottom);
        return;
    }
    // Partial alpha: draw opaque off-screen, then blend the whole band at the averaged alpha.
    CMemoryDC memory(dc);
    CGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!memory.Get() || !bitmap) {
        return;
    }
    CSelectScope select(memory.Get(), bitmap.Get());
    DrawOpaqueGradient(memory.Get(), RECT{0, 0, width, height}, top, bottom);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, 0};
    AlphaBlend(dc, rc.left, rc.top, width, height, memory.Get(), 0, 0, width, height, blend);
}

void StrokeLine(HDC dc, const RECT& rc, int width, DWORD argb, int penStyle) {
    CGdiObject<HPEN> pen = MakePen(penStyle, width, argb);
    CSelectScope select(dc, pen.Get());
    MoveToEx(dc, rc.left, rc.top, nullptr);
    LineTo(dc, rc.right, rc.bottom);
}

void StrokeRect(HDC dc, const RECT& rc, int width, DWORD argb) {
    StrokeRoundRect(dc, rc, width, argb, 0, 0);
}

void StrokeRoundRect(HDC dc, const RECT& rc, int width, DWORD argb, int cornerWidth, int cornerHeight) {
    CGdiObject<HPEN> pen = MakePen(PS_INSIDEFRAME, width, argb);
    CSelectScope selectPen(dc, pen.Get());
    CSelectScope selectBrush(dc, GetStockObject(NULL_BRUSH));
    if (cornerWidth > 0 || cornerHeight > 0) {
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, cornerWidth, cornerHeight);
    } else {
        Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
    }
}

}  // namespace controldraw
