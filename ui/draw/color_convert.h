#pragma once
// Colour conversions: skin colours are 0xAARRGGBB, GDI wants R | G << 8 | B << 16 without
// alpha, and the hue/saturation/lightness shift works in HSL.

#include <windows.h>

inline COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

struct HslColor {
    double hue;         // degrees, 0 to 360
    double saturation;  // 0 to 1
    double lightness;   // 0 to 1
};

HslColor RgbToHsl(DWORD argb);
// The alpha byte of the result is `alpha`.
DWORD HslToRgb(const HslColor& hsl, BYTE alpha);
