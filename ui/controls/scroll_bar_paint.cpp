// CScrollBarUI: painting. Background, buttons, thumb and rail, each with the image of its
// state; the parts are placed inside the bar with a "dest" modify string.

#include <cwchar>

#include "ui/controls/scroll_bar.h"

namespace {

// "dest='l,t,r,b'" relative to the bar's item rectangle.
CWideString DestText(const RECT& part, const RECT& item) {
    CWideString text;
    text.Format(L"dest='%d,%d,%d,%d'", part.left - item.left, part.top - item.top, part.right - item.left,
                part.bottom - item.top);
    return text;
}

}  // namespace

void CScrollBarUI::Paint(HDC dc, const RECT& dirty) {
    if (!IntersectRect(&m_paintRect, &dirty, &m_rcItem)) {
        return;
    }
    PaintPart(dc, ScrollPartBack, m_thumbState, nullptr);
    if (m_showButton1) {
        PaintPart(dc, ScrollPartButton1, m_button1State, &m_parts.button1);
    }
    if (m_showButton2) {
        PaintPart(dc, ScrollPartButton2, m_button2State, &m_parts.button2);
    }
    if (IsRectEmpty(&m_parts.thumb)) {
        return;
    }
    PaintPart(dc, ScrollPartThumb, m_thumbState, &m_parts.thumb);
    // The rail image is a square of the bar's thickness centred on the thumb: the grip.
    const int s = Side();
    RECT rail = m_parts.thumb;
    if (m_horizontal) {
        rail.left = (m_parts.thumb.left + m_parts.thumb.right) / 2 - s / 2;
        rail.right = rail.left + s;
    } else {
        rail.top = (m_parts.thumb.top + m_parts.thumb.bottom) / 2 - s / 2;
        rail.bottom = rail.top + s;
    }
    PaintPart(dc, ScrollPartRail, m_thumbState, &rail);
}

// Draws the first image the state allows (disabled, pushed, hot, then normal). An image that
// cannot be drawn is dropped so the next candidate takes its place, now and on later paints.
void CScrollBarUI::PaintPart(HDC dc, ScrollBarPart part, UINT& state, const RECT* dest) {
    if (!m_images) {
        return;
    }
    state = IsEnabled() ? (state & ~ScrollStateDisabled) : (state | ScrollStateDisabled);
    struct Candidate {
        ScrollBarImageState image;
        UINT needs;
    };
    static const Candidate kOrder[] = {{ScrollImageDisabled, ScrollStateDisabled},
                                       {ScrollImagePushed, ScrollStatePushed},
                                       {ScrollImageHot, ScrollStateHot},
                                       {ScrollImageNormal, 0}};
    CWideString modify = dest ? DestText(*dest, m_rcItem) : CWideString();
    for (const Candidate& candidate : kOrder) {
        CWideString& image = m_images->texts[part][candidate.image];
        if ((state & candidate.needs) != candidate.needs || image.IsEmpty()) {
            continue;
        }
        if (DrawImage(dc, image, dest ? modify.GetData() : nullptr)) {
            return;
        }
        image.Empty();
    }
}
