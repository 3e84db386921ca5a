// The progress bar: value range, fill geometry and the narrowed fore image.

#include "ui/controls/progress.h"

#include <climits>
#include <cwchar>

#include "ui/util/attribute_parse.h"

RECT ProgressFillRect(int width, int height, int minimum, int maximum, int value, bool horizontal) {
    // Product first, then the truncating division; 64-bit so that wide ranges cannot overflow.
    const long long range = static_cast<long long>(maximum) - minimum;
    if (range <= 0) {
        return horizontal ? RECT{0, 0, 0, height} : RECT{0, height, width, height};
    }
    if (horizontal) {
        long long right = width * (static_cast<long long>(value) - minimum) / range;
        return RECT{0, 0, static_cast<LONG>(right), height};
    }
    long long top = height * (static_cast<long long>(maximum) - value) / range;
    return RECT{0, static_cast<LONG>(top), width, height};
}

CProgressUI::CProgressUI() {
    m_textStyle = DT_SINGLELINE | DT_CENTER;
    SetFixedHeight(12);
}

const wchar_t* CProgressUI::ClassName() const {
    return L"ProgressUI";
}

void* CProgressUI::CastTo(const wchar_t* name) {
    if (!name) {
        return nullptr;
    }
    if (wcscmp(name, L"Progress") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

void CProgressUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"foreimage") == 0) {
        SetForeImage(value);
    } else if (wcscmp(name, L"hor") == 0) {
        SetHorizontal(attr::ParseBool(value));
    } else if (wcscmp(name, L"min") == 0) {
        SetMinimum(attr::ParseInt(value));
    } else if (wcscmp(name, L"max") == 0) {
        SetMaximum(attr::ParseInt(value));
    } else if (wcscmp(name, L"value") == 0) {
        SetValue(attr::ParseInt(value));
    } else if (wcscmp(name, L"isstretchfore") == 0) {
        SetStretchForeImage(attr::ParseBool(value));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CProgressUI::SetValue(int value) {
    if (value == m_value || value < m_min || value > m_max) {
        return;
    }
    m_value = value;
    Invalidate();
    NotifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

void CProgressUI::SetMinimum(int value) {
    m_min = value;
    Invalidate();
}

void CProgressUI::SetMaximum(int value) {
    m_max = value;
    Invalidate();
}

void CProgressUI::SetHorizontal(bool on) {
    if (m_horizontal != on) {
        m_horizontal = on;
        Invalidate();
    }
}

void CProgressUI::SetStretchForeImage(bool on) {
    if (m_stretchFore != on) {
        m_stretchFore = on;
        Invalidate();
    }
}

void CProgressUI::SetForeImage(const wchar_t* image) {
    if (ForeImage() == (image ? image : L"")) {
        return;
    }
    CControlUI::SetForeImage(image);
    Invalidate();
}

void CProgressUI::ClampRange() {
    if (m_max <= m_min) {
        m_max = m_min == INT_MAX ? m_min : m_min + 1;
    }
    if (m_value > m_max) {
        m_value = m_max;
    }
    if (m_value < m_min) {
        m_value = m_min;
    }
}

void CProgressUI::PaintStateImages(HDC dc) {
    ClampRange();
    RECT fill = ProgressFillRect(m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top, m_min, m_max,
                                 m_value, m_horizontal);
    if (ForeImage().IsEmpty()) {
        return;
    }
    // "dest" is relative to the item rectangle; without stretching the same rectangle of image
    // pixels is shown, which reveals the picture as the value grows.
    if (m_stretchFore) {
        m_modifyText.Format(L"dest='%d,%d,%d,%d'", fill.left, fill.top, fill.right, fill.bottom);
    } else {
        m_modifyText.Format(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", fill.left, fill.top, fill.right,
                            fill.bottom, fill.left, fill.top, fill.right, fill.bottom);
    }
    if (!DrawImage(dc, ForeImage(), m_modifyText)) {
        CControlUI::SetForeImage(nullptr);  // cleared without a repaint request: this is a paint
    }
}
