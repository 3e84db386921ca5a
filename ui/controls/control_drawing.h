// Fills and strokes that the control base paints its background colour and border with.
// Colours are 0xAARRGGBB; GDI gets R | G << 8 | B << 16 with the alpha dropped. Every object
// created here is deleted, and every object selected is deselected, before a routine returns.
#pragma once

#include <windows.h>

namespace controldraw {

inline COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Solid fill through GDI+, alpha included.
void FillColor(HDC dc, const RECT& rc, DWORD argb);
// Vertical gradient, `top` colour at the top; drawn at the averaged alpha of the two colours
// (nothing when that is 0). `steps` is 8 or 16 and only matters for the banded fallback.
void FillGradient(HDC dc, const RECT& rc, DWORD top, DWORD bottom, int steps);
// A line from (left, top) to (right, bottom).
void StrokeLine(HDC dc, const RECT& rc, int width, DWORD argb, int penStyle);
// Outline only, drawn inside the rectangle.
void StrokeRect(HDC dc, const RECT& rc, int width, DWORD argb);
void StrokeRoundRect(HDC dc, const RECT& rc, int width, DWORD argb, int cornerWidth, int cornerHeight);

}  // namespace controldraw
