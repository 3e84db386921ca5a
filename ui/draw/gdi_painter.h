#pragma once
// CGdiPainter: the static drawing routines of the framework. So far the two pixel routines the
// window host needs for layered windows, whose 32-bit buffer carries per-pixel alpha.

#include <windows.h>

class CGdiPainter {
public:
    // Sets every pixel inside the rectangle to 0 (transparent black). Rows are `rowLength`
    // pixels long; the rectangle is clipped to the row, the caller keeps it within the rows.
    static void ClearAlphaRect(DWORD* bits, int rowLength, const RECT& rc);
    // Inside the rectangle, every pixel whose alpha byte is 0 while a colour byte is not gets
    // alpha 255: GDI leaves alpha 0 behind, so what it drew becomes opaque, while untouched
    // pixels stay transparent and pixels drawn with alpha keep theirs. Same clipping as above.
    static void RestoreAlphaRect(DWORD* bits, int rowLength, const RECT& rc);
};
