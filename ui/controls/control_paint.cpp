// Painting of the control base: background colour, background image, state images, text and
// border, in that order, clipped to the dirty part of the control.

#include "ui/controls/control.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"

namespace {

bool HasRoundCorners(SIZE round) {
    return round.cx > 0 || round.cy > 0;
}

}  // namespace

void CControlUI::Paint(HDC dc, const RECT& dirty) {
    if (!IntersectRect(&m_paintRect, &dirty, &m_rcItem)) {
        return;
    }
    auto paintSteps = [this, dc] {
        PaintBackColor(dc);
        PaintBackImage(dc);
        PaintStateImages(dc);
        PaintText(dc);
        PaintBorder(dc);
    };
    if (!HasRoundCorners(m_borderRound)) {
        paintSteps();
        return;
    }
    // Rounded corners clip with a temporary region instead of drawing through an off-screen copy.
    // The round region reaches one pixel further right and down, as CreateRoundRectRgn excludes
    // the right and bottom edges.
    HRGN clip = CreateRectRgnIndirect(&m_paintRect);
    CGdiObject<HRGN> round(CreateRoundRectRgn(m_rcItem.left, m_rcItem.top, m_rcItem.right + 1,
                                              m_rcItem.bottom + 1, m_borderRound.cx, m_borderRound.cy));
    CombineRgn(clip, clip, round.Get(), RGN_AND);
    CClipScope scope(dc, clip);
    paintSteps();
}

// "colorhsl" asks for the host's hue/saturation/lightness shift. The host keeps those at the
// neutral 180/100/100, under which the shift returns every colour unchanged, so colours are
// drawn as stored.
void CControlUI::PaintBackColor(HDC dc) {
    if (m_backColor == 0) {
        return;
    }
    if (m_backColor2 != 0 && m_backColor3 == 0) {
        CGdiPainter::FillGradient(dc, m_rcItem, m_backColor, m_backColor2, 16);
    } else if (m_backColor2 != 0) {
        RECT upper = m_rcItem;
        upper.bottom = (m_rcItem.top + m_rcItem.bottom) / 2;
        RECT lower = m_rcItem;
        lower.top = upper.bottom;
        CGdiPainter::FillGradient(dc, upper, m_backColor, m_backColor2, 8);
        CGdiPainter::FillGradient(dc, lower, m_backColor2, m_backColor3, 8);
    } else if (m_backColor > 0x00FFFFFF) {
        // An opaque colour hides everything below it, so only the dirty part needs filling.
        const RECT& area = m_backColor >= 0xFF000000 ? m_paintRect : m_rcItem;
        CGdiPainter::FillColor(dc, area, m_backColor);
    }
}

bool CControlUI::DrawImage(HDC dc, const wchar_t* image, const wchar_t* modify) {
    return CGdiPainter::DrawImageDescription(dc, m_host, m_rcItem, m_paintRect, image, modify);
}

void CControlUI::PaintBackImage(HDC dc) {
    const CWideString& image = BackImage();
    if (image.IsEmpty()) {
        return;
    }
    // A description that cannot be drawn at all is dropped, so it is not tried on every paint.
    if (!DrawImage(dc, image)) {
        SetBackImage(nullptr);
    }
}

// The base has no state images; buttons, progress bars and the like draw theirs here.
void CControlUI::PaintStateImages(HDC /*dc*/) {}

void CControlUI::PaintText(HDC /*dc*/) {}

void CControlUI::PaintBorder(HDC dc) {
    if (m_borderColor == 0 && m_focusBorderColor == 0) {
        return;
    }
    bool useFocusColor = m_focused && m_focusBorderColor != 0;
    DWORD color = useFocusColor ? m_focusBorderColor : m_borderColor;
    if (m_borderSize > 0 && HasRoundCorners(m_borderRound)) {
        CGdiPainter::StrokeRoundRect(dc, m_rcItem, m_borderSize, color, m_borderRound.cx, m_borderRound.cy);
        return;
    }
    if (useFocusColor && m_borderSize > 0) {
        CGdiPainter::StrokeRect(dc, m_rcItem, m_borderSize, color);
        return;
    }
    const RECT& r = m_rcItem;
    const RECT& s = m_sideBorders;
    if (s.left > 0 || s.top > 0 || s.right > 0 || s.bottom > 0) {
        const RECT lines[] = {{r.left, r.top, r.left, r.bottom},
                              {r.left, r.top, r.right, r.top},
                              {r.right, r.top, r.right, r.bottom},
                              {r.left, r.bottom, r.right, r.bottom}};
        const LONG widths[] = {s.left, s.top, s.right, s.bottom};
        for (int side = 0; side < 4; ++side) {
            if (widths[side] > 0) {
                CGdiPainter::StrokeLine(dc, lines[side], widths[side], m_borderColor, m_borderStyle);
            }
        }
        return;
    }
    if (m_borderSize > 0) {
        CGdiPainter::StrokeRect(dc, m_rcItem, m_borderSize, m_borderColor);
    }
}

void CControlUI::PaintAfter(HDC /*dc*/, const RECT& /*dirty*/) {}
