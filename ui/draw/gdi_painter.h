#pragma once
// CGdiPainter: the stateless drawing toolbox every control paints with. Images named by image
// description strings, solid and gradient fills, border lines, plain and marked-up text. No
// routine reports errors: what cannot be drawn is not drawn. Every GDI object a routine creates
// is deleted, and every object it selects is deselected, before it returns.

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/draw/image_description.h"
#include "ui/draw/loaded_image.h"
#include "ui/util/wide_string.h"

class CWindowHostUI;

// Image files and archive items above this size are refused before any buffer is made for them.
constexpr uint32_t kMaxImageFileBytes = 16u * 1024 * 1024;
// Larger pictures are refused before they are decoded.
constexpr int kMaxImageSide = 8192;

class CGdiPainter {
public:
    CGdiPainter() = delete;

    // ---- Images ----
    // `source` is a path or archive item name, or, with a resource type, a resource identifier
    // (MAKEINTRESOURCEW or a name) in the host's resource module. Null when nothing could be read
    // or decoded. The caller owns the result (see DestroyImage).
    static LoadedImage* LoadSkinImage(const wchar_t* source, const wchar_t* resourceType, DWORD mask);
    // The decoding and conversion step of LoadSkinImage, on bytes already in memory.
    static LoadedImage* DecodeSkinImage(const unsigned char* bytes, size_t size, DWORD mask);
    static void DestroyImage(LoadedImage* image);
    // How many pictures LoadSkinImage has decoded in this process.
    static int DecodeCount();
    // False only without a device context or host.
    static bool DrawImageDescription(HDC dc, CWindowHostUI* host, const RECT& item, const RECT& paint,
                                     const wchar_t* image, const wchar_t* modify);
    static bool DrawCachedImage(HDC dc, CWindowHostUI* host, const RECT& item, const RECT& paint,
                                const ImageDrawParams& params);
    static void DrawImageGrid(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                              const RECT& corners, bool alpha, BYTE fade, bool hole, bool xtiled,
                              bool ytiled, const RECT* sourceCorners = nullptr);
    // AlphaBlend when msimg32 has it, else a software blend with the same arguments.
    static bool BlendBitmap(HDC dest, int x, int y, int cx, int cy, HDC source, int sx, int sy, int scx,
                            int scy, BLENDFUNCTION blend);
    // The software blend alone: the source is stretched into a buffer of the destination's size
    // and blended pixel by pixel. False (nothing drawn) when a buffer cannot be made.
    static bool SoftwareBlend(HDC dest, int x, int y, int cx, int cy, HDC source, int sx, int sy, int scx,
                              int scy, BLENDFUNCTION blend);

    // ---- Colours and borders ----
    static void FillColor(HDC dc, const RECT& rc, DWORD argb);
    // Vertical, `top` colour first; drawn at the averaged alpha of the two colours (nothing when
    // that is 0). `steps` (8 or 16) matters only for the banded fallback.
    static void FillGradient(HDC dc, const RECT& rc, DWORD top, DWORD bottom, int steps);
    static void StrokeLine(HDC dc, const RECT& rc, int width, DWORD argb, int penStyle);
    static void StrokeRect(HDC dc, const RECT& rc, int width, DWORD argb);
    static void StrokeRoundRect(HDC dc, const RECT& rc, int width, DWORD argb, int cornerWidth,
                                int cornerHeight);
    static DWORD AdjustColorHsl(DWORD argb, short hue, short saturation, short lightness);
    // Sets every pixel inside the rectangle to 0 (transparent black). Rows are `rowLength`
    // pixels long; the rectangle is clipped to the row, the caller keeps it within the rows.
    static void ClearAlphaRect(DWORD* bits, int rowLength, const RECT& rc);
    // Inside the rectangle, every pixel whose alpha byte is 0 while a colour byte is not gets
    // alpha 255: GDI leaves alpha 0 behind, so what it drew becomes opaque, while untouched
    // pixels stay transparent and pixels drawn with alpha keep theirs. Same clipping as above.
    static void RestoreAlphaRect(DWORD* bits, int rowLength, const RECT& rc);

    // ---- Text ----
    static void DrawPlainText(HDC dc, CWindowHostUI* host, RECT& rc, const wchar_t* text, DWORD argb,
                              int font, UINT style);
    // `linkCount` is the capacity of the two link arrays on entry and the number of links laid out
    // on return. With DT_CALCRECT nothing is drawn and `rc` receives the measured size.
    static void DrawMarkupText(HDC dc, CWindowHostUI* host, RECT& rc, const wchar_t* text, DWORD argb,
                               RECT* linkRects, CWideString* linkTexts, int& linkCount, UINT style);
};
