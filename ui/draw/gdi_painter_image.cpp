// CGdiPainter: drawing the images that image description strings name, as nine-grids.

#include <new>

#include "ui/core/window_host.h"
#include "ui/draw/dib_canvas.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"
#include "ui/draw/msimg32_entry.h"
#include "ui/draw/nine_grid.h"
#include "ui/draw/pixel_convert.h"
#include "ui/util/dpi_scale.h"

namespace {

class CDescriptionDrawer : public IImageDrawSink {
public:
    CDescriptionDrawer(HDC dc, CWindowHostUI* host, const RECT& item, const RECT& paint)
        : m_dc(dc), m_host(host), m_item(item), m_paint(paint) {}
    void DrawImageNow(const ImageDrawParams& params) override {
        CGdiPainter::DrawCachedImage(m_dc, m_host, m_item, m_paint, params);
    }

private:
    HDC m_dc;
    CWindowHostUI* m_host;
    const RECT& m_item;
    const RECT& m_paint;
};

// Blits the pieces of a nine-grid from the memory DC that holds the bitmap.
class CGridBlitter : public INineGridSink {
public:
    CGridBlitter(HDC target, HDC bitmapDC, bool blended, BYTE fade)
        : m_target(target), m_source(bitmapDC), m_blended(blended), m_fade(fade) {}
    void DrawPiece(const RECT& d, const RECT& s, bool unscaled) override {
        int dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
        if (m_blended) {
            BLENDFUNCTION blend = {AC_SRC_OVER, 0, m_fade, AC_SRC_ALPHA};
            CGdiPainter::BlendBitmap(m_target, d.left, d.top, dw, dh, m_source, s.left, s.top, sw, sh, blend);
        } else if (unscaled) {
            BitBlt(m_target, d.left, d.top, dw, dh, m_source, s.left, s.top, SRCCOPY);
        } else {
            StretchBlt(m_target, d.left, d.top, dw, dh, m_source, s.left, s.top, sw, sh, SRCCOPY);
        }
    }

private:
    HDC m_target;
    HDC m_source;
    bool m_blended;
    BYTE m_fade;
};

// The software blend works on whole-destination buffers; beyond this it refuses.
constexpr long long kMaxBlendPixels = 8192LL * 8192;

bool IsZero(const RECT& r) {
    return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
}

}  // namespace

bool CGdiPainter::DrawImageDescription(HDC dc, CWindowHostUI* host, const RECT& item, const RECT& paint,
                                       const wchar_t* image, const wchar_t* modify) {
    if (dc == nullptr || host == nullptr) {
        return false;
    }
    ImageDrawParams params;
    InitImageDrawParams(params, image, item);
    params.dpi = host->Dpi();
    CDescriptionDrawer drawer(dc, host, item, paint);
    ReadImageDescription(image, item, params, &drawer);
    // The modify string is the framework's own, in device pixels.
    params.textDpi = params.dpi;
    ReadImageDescription(modify, item, params, &drawer);
    DrawCachedImage(dc, host, item, paint, params);
    return true;
}

bool CGdiPainter::DrawCachedImage(HDC dc, CWindowHostUI* host, const RECT& item, const RECT& paint,
                                  const ImageDrawParams& params) {
    if (params.name.IsEmpty() || host == nullptr) {
        return false;
    }
    const wchar_t* type = params.resourceType.IsEmpty() ? nullptr : params.resourceType.GetData();
    LoadedImage* image = host->ImageFor(params.name, type, params.mask);
    if (image == nullptr) {
        return false;
    }
    // Description rectangles are skin pixels: the source and the bitmap's corners scale to the
    // DPI the image was drawn for, the destination's corners to the display's.
    RECT source = IsZero(params.source) ? RECT{0, 0, image->width, image->height}
                                        : dpi::ScaleRect(params.source, image->dpi, params.sourceDpi);
    const RECT sourceCorners = dpi::ScaleRect(params.corners, image->dpi);
    const RECT destCorners = dpi::ScaleRect(params.corners, params.dpi);
    // A source reaching outside the picture is cut to it on every side.
    source.left = source.left < 0 ? 0 : source.left;
    source.top = source.top < 0 ? 0 : source.top;
    source.right = source.right > image->width ? image->width : source.right;
    source.bottom = source.bottom > image->height ? image->height : source.bottom;
    RECT visible;
    if (!IntersectRect(&visible, &params.dest, &item) || !IntersectRect(&visible, &params.dest, &paint)) {
        return true;
    }
    bool alpha = host->IsLayeredPaint() || image->hasAlpha;
    DrawImageGrid(dc, image->bitmap, params.dest, paint, source, destCorners, alpha, params.fade, params.hole,
                  params.xtiled, params.ytiled, &sourceCorners);
    return true;
}

void CGdiPainter::DrawImageGrid(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint,
                                const RECT& source, const RECT& corners, bool alpha, BYTE fade, bool hole,
                                bool xtiled, bool ytiled, const RECT* sourceCorners) {
    bool blended = alpha || fade < 255;
    if (dc == nullptr || bitmap == nullptr || (blended && fade == 0)) {
        return;
    }
    CMemoryDC memory(dc);
    if (memory.Get() == nullptr) {
        return;
    }
    CSelectScope select(memory.Get(), bitmap);
    int previousMode = SetStretchBltMode(dc, HALFTONE);
    CGridBlitter blitter(dc, memory.Get(), blended, fade);
    PlanNineGrid(NineGridInput{dest, paint, source, corners, hole, xtiled, ytiled, !blended},
                 sourceCorners ? *sourceCorners : corners, blitter);
    if (previousMode) {
        SetStretchBltMode(dc, previousMode);
    }
}

bool CGdiPainter::BlendBitmap(HDC dest, int x, int y, int cx, int cy, HDC source, int sx, int sy, int scx,
                              int scy, BLENDFUNCTION blend) {
    if (AlphaBlendProc alphaBlend = AlphaBlendEntry()) {
        return alphaBlend(dest, x, y, cx, cy, source, sx, sy, scx, scy, blend) != FALSE;
    }
    return SoftwareBlend(dest, x, y, cx, cy, source, sx, sy, scx, scy, blend);
}

bool CGdiPainter::SoftwareBlend(HDC dest, int x, int y, int cx, int cy, HDC source, int sx, int sy, int scx,
                                int scy, BLENDFUNCTION blend) {
    if (cx <= 0 || cy <= 0 || scx <= 0 || scy <= 0 || static_cast<long long>(cx) * cy > kMaxBlendPixels) {
        return false;
    }
    CDibCanvas from(dest, cx, cy);
    CDibCanvas onto(dest, cx, cy);
    if (from.Pixels() == nullptr || onto.Pixels() == nullptr) {
        return false;
    }
    // Plain pixel copies: a smoothing stretch mode would mix alpha bytes into colours.
    int previousMode = SetStretchBltMode(from.DC(), COLORONCOLOR);
    StretchBlt(from.DC(), 0, 0, cx, cy, source, sx, sy, scx, scy, SRCCOPY);
    SetStretchBltMode(from.DC(), previousMode);
    BitBlt(onto.DC(), 0, 0, cx, cy, dest, x, y, SRCCOPY);
    GdiFlush();
    const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    const size_t count = static_cast<size_t>(cx) * cy;
    uint32_t* src = from.Pixels();
    uint32_t* dst = onto.Pixels();
    for (size_t i = 0; i < count; ++i) {
        dst[i] = perPixel ? BlendPremultiplied(src[i], dst[i], blend.SourceConstantAlpha)
                          : BlendOpaque(src[i], dst[i], blend.SourceConstantAlpha);
    }
    return BitBlt(dest, x, y, cx, cy, onto.DC(), 0, 0, SRCCOPY) != FALSE;
}
