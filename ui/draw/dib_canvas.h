#pragma once
// 32-bit top-down DIB sections: pixels B, G, R, A (0xAARRGGBB values), rows packed without
// padding. CDibCanvas also selects its bitmap into a memory DC of its own for drawing.

#include <windows.h>

#include <cstdint>

#include "ui/draw/gdi_objects.h"

// Null (and `pixels` null) on failure.
HBITMAP CreateTopDownDib(int width, int height, uint32_t** pixels);

class CDibCanvas {
public:
    // `compatible` may be null (a DC compatible with the screen).
    CDibCanvas(HDC compatible, int width, int height);
    ~CDibCanvas();
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;

    HDC DC() const { return m_dc.Get(); }
    // Null when the canvas could not be made.
    uint32_t* Pixels() const { return m_pixels; }

private:
    CMemoryDC m_dc;
    CGdiObject<HBITMAP> m_bitmap;
    uint32_t* m_pixels = nullptr;
    HGDIOBJ m_previous = nullptr;
};
