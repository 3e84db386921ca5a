// The slider: thumb geometry, the value under the mouse, dragging and the wheel.

#include "ui/controls/slider.h"

#include <cstdint>
#include <cwchar>

#include "ui/util/attribute_parse.h"
#include "ui/core/window_host.h"

namespace {

// a + b * c / d with the product in 64 bits, truncating toward zero; a when d is 0.
int ScaleOffset(int a, int64_t b, int64_t c, int64_t d) {
    return d == 0 ? a : static_cast<int>(a + b * c / d);
}

using SliderHandler = void (*)(CSliderUI& slider, const wchar_t* value);

struct SliderAttribute {
    const wchar_t* name;
    SliderHandler apply;
};

const SliderAttribute kSliderAttributes[] = {
    {L"thumbimage", [](CSliderUI& s, const wchar_t* v) { s.SetThumbImage(v); }},
    {L"thumbhotimage", [](CSliderUI& s, const wchar_t* v) { s.SetThumbHotImage(v); }},
    {L"thumbpushedimage", [](CSliderUI& s, const wchar_t* v) { s.SetThumbPushedImage(v); }},
    {L"thumbsize", [](CSliderUI& s, const wchar_t* v) { s.SetThumbSize(attr::ParseSize(v)); }},
    {L"step", [](CSliderUI& s, const wchar_t* v) { s.SetStep(attr::ParseInt(v)); }},
    {L"sendmove", [](CSliderUI& s, const wchar_t* v) { s.SetSendMove(attr::ParseBool(v)); }},
};

}  // namespace

// ---- Geometry ----

RECT SliderThumbRect(const SliderTrack& t, int value) {
    const RECT& rc = t.item;
    const int64_t range = t.maximum > t.minimum ? int64_t{t.maximum} - t.minimum : 0;
    const int64_t offset = range ? int64_t{value} - t.minimum : 0;
    RECT thumb;
    if (t.horizontal) {
        thumb.left = ScaleOffset(rc.left, rc.right - rc.left - t.thumb.cx, offset, range);
        thumb.top = (rc.bottom + rc.top - t.thumb.cy) / 2;
        thumb.right = thumb.left + t.thumb.cx;
        thumb.bottom = thumb.top + t.thumb.cy;
    } else {
        thumb.bottom = ScaleOffset(rc.bottom, -(rc.bottom - rc.top - t.thumb.cy), offset, range);
        thumb.top = thumb.bottom - t.thumb.cy;
        thumb.left = (rc.right + rc.left - t.thumb.cx) / 2;
        thumb.right = thumb.left + t.thumb.cx;
    }
    return thumb;
}

int SliderValueAt(const SliderTrack& t, POINT pt) {
    const RECT& rc = t.item;
    const int64_t range = int64_t{t.maximum} - t.minimum;
    if (range <= 0) {
        return t.minimum;
    }
    // A thumb as long as the track or longer leaves no positions to choose from.
    const int64_t track =
        t.horizontal ? t.item.right - t.item.left - t.thumb.cx : t.item.bottom - t.item.top - t.thumb.cy;
    if (track <= 0) {
        return t.minimum;
    }
    if (t.horizontal) {
        const int half = t.thumb.cx / 2;
        if (pt.x >= rc.right - half) {
            return t.maximum;
        }
        return pt.x > rc.left + half ? ScaleOffset(t.minimum, pt.x - rc.left - half, range, track)
                                     : t.minimum;
    }
    const int half = t.thumb.cy / 2;
    if (pt.y >= rc.bottom - half) {
        return t.minimum;
    }
    return pt.y > rc.top + half ? ScaleOffset(t.minimum, range, rc.bottom - half - pt.y, track) : t.maximum;
}

// ---- The control ----

CSliderUI::CSliderUI() {
    m_textStyle = DT_SINGLELINE | DT_CENTER;
}

const wchar_t* CSliderUI::ClassName() const {
    return L"SliderUI";
}

void* CSliderUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"Slider") == 0) {
        return this;
    }
    return CProgressUI::CastTo(name);
}

UINT CSliderUI::ControlFlags() const {
    return IsEnabled() ? UINT{ControlFlagSetCursor} : 0u;
}

void CSliderUI::SetEnabled(bool on) {
    CControlUI::SetEnabled(on);
    if (!IsEnabled()) {
        m_state = 0;
    }
}

void CSliderUI::SetValue(int value) {
    if (!(m_state & SliderCaptured)) {
        CProgressUI::SetValue(value);
    }
}

SliderTrack CSliderUI::Track() const {
    return SliderTrack{m_rcItem, m_thumbSize, Minimum(), Maximum(), IsHorizontal()};
}

RECT CSliderUI::ThumbRect() const {
    return SliderThumbRect(Track(), Value());
}

void CSliderUI::SetThumbSlot(ThumbImage slot, const wchar_t* image) {
    m_thumbImages[slot] = image ? image : L"";
    Invalidate();
}

void CSliderUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    for (const SliderAttribute& attribute : kSliderAttributes) {
        if (wcscmp(attribute.name, name) == 0) {
            attribute.apply(*this, value);
            return;
        }
    }
    CProgressUI::SetAttribute(name, value);
}

// ---- Events ----

void CSliderUI::Notify(const wchar_t* type) {
    if (m_host) {
        m_host->SendNotification(this, type, 0, 0);
    }
}

void CSliderUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.type)) {
        PassMouseEventOn(event);
        return;
    }
    switch (event.type) {
        case EventButtonDown:
        case EventDoubleClick: OnButtonDown(event); return;
        case EventButtonUp: OnButtonUp(event); return;
        case EventContextMenu: return;
        case EventScrollWheel: OnWheel(event); return;
        case EventMouseMove: OnMouseMove(event); return;
        case EventSetCursor:
            if (IsEnabled()) {
                ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return;
            }
            break;
        case EventMouseLeave:
            if (IsEnabled()) {
                m_state &= ~SliderHot;
                Invalidate();
            }
            return;
        default: break;
    }
    CControlUI::HandleEvent(event);
}

void CSliderUI::OnButtonDown(const UIEvent& event) {
    if (!IsEnabled()) {
        return;
    }
    m_state |= SliderCaptured;
    // The base's setter applies the range; this one would refuse while captured.
    CProgressUI::SetValue(SliderValueAt(Track(), event.point));
}

void CSliderUI::OnButtonUp(const UIEvent& event) {
    m_state &= ~SliderCaptured;
    CProgressUI::SetValue(SliderValueAt(Track(), event.point));
    Invalidate();
    // Last: a listener may delete the slider.
    Notify(L"valuechanged");
}

void CSliderUI::OnWheel(UIEvent& event) {
    if (event.wParam != 0 && event.wParam != 1) {
        CControlUI::HandleEvent(event);
        return;
    }
    SetValue(event.wParam == 0 ? Value() + m_step : Value() - m_step);
    Notify(L"valuechanged");
}

void CSliderUI::OnMouseMove(const UIEvent& event) {
    const bool dragged = (m_state & SliderCaptured) != 0;
    if (dragged) {
        CProgressUI::SetValue(SliderValueAt(Track(), event.point));
    }
    RECT thumb = ThumbRect();
    if (IsEnabled() && PtInRect(&thumb, event.point)) {
        m_state |= SliderHot;
    } else {
        m_state &= ~SliderHot;
    }
    Invalidate();
    // Last: a listener may delete the slider.
    if (dragged && m_sendMove) {
        Notify(L"movevaluechanged");
    }
}

// ---- Painting ----

bool CSliderUI::DrawThumb(HDC dc, ThumbImage slot) {
    if (DrawImage(dc, m_thumbImages[slot], m_thumbModify)) {
        return true;
    }
    m_thumbImages[slot].Empty();
    return false;
}

void CSliderUI::PaintStateImages(HDC dc) {
    CProgressUI::PaintStateImages(dc);
    RECT thumb = ThumbRect();
    m_thumbModify.Format(L"dest='%d,%d,%d,%d'", thumb.left - m_rcItem.left, thumb.top - m_rcItem.top,
                         thumb.right - m_rcItem.left, thumb.bottom - m_rcItem.top);
    if ((m_state & SliderCaptured) && !m_thumbImages[ThumbPushed].IsEmpty()) {
        if (DrawThumb(dc, ThumbPushed)) {
            return;
        }
    } else if ((m_state & SliderHot) && !m_thumbImages[ThumbHot].IsEmpty()) {
        if (DrawThumb(dc, ThumbHot)) {
            return;
        }
    }
    if (!m_thumbImages[Thumb].IsEmpty()) {
        DrawThumb(dc, Thumb);
    }
}
