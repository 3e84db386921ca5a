// The label: text attributes, measuring and one-line caption painting.

#include "ui/controls/label.h"

#include <cwchar>
#include <new>

#include "ui/util/attribute_parse.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"

namespace {

// "align" and "valign" look for words anywhere in the value, in a fixed order, so that a value
// such as "left vcenter" applies both.
UINT ApplyAlign(UINT style, const wchar_t* value) {
    if (wcsstr(value, L"left")) {
        style &= ~(DT_CENTER | DT_RIGHT | DT_SINGLELINE);
    }
    if (wcsstr(value, L"center")) {
        style = (style & ~DT_RIGHT) | DT_CENTER;
    }
    if (wcsstr(value, L"right")) {
        style = (style & ~(DT_CENTER | DT_SINGLELINE)) | DT_RIGHT;
    }
    return style;
}

UINT ApplyVerticalAlign(UINT style, const wchar_t* value) {
    if (wcsstr(value, L"top")) {
        style = (style & ~(DT_VCENTER | DT_BOTTOM)) | DT_SINGLELINE;
    }
    if (wcsstr(value, L"vcenter")) {
        style = (style & ~DT_BOTTOM) | DT_VCENTER | DT_SINGLELINE;
    }
    if (wcsstr(value, L"bottom")) {
        style = (style & ~DT_VCENTER) | DT_BOTTOM | DT_SINGLELINE;
    }
    return style;
}

using LabelHandler = void (*)(CLabelUI& label, const wchar_t* value);

struct LabelAttribute {
    const wchar_t* name;
    LabelHandler apply;
};

const LabelAttribute kLabelAttributes[] = {
    {L"align", [](CLabelUI& l, const wchar_t* v) { l.SetTextStyle(ApplyAlign(l.TextStyle(), v)); }},
    {L"valign", [](CLabelUI& l, const wchar_t* v) { l.SetTextStyle(ApplyVerticalAlign(l.TextStyle(), v)); }},
    {L"endellipsis",
     [](CLabelUI& l, const wchar_t* v) {
         UINT style = l.TextStyle() & ~DT_END_ELLIPSIS;
         l.SetTextStyle(attr::ParseBool(v) ? style | DT_END_ELLIPSIS : style);
     }},
    {L"font", [](CLabelUI& l, const wchar_t* v) { l.SetFont(attr::ParseInt(v)); }},
    {L"textcolor", [](CLabelUI& l, const wchar_t* v) { l.SetTextColor(attr::ParseColor(v)); }},
    {L"disabledtextcolor",
     [](CLabelUI& l, const wchar_t* v) { l.SetDisabledTextColor(attr::ParseColor(v)); }},
    // A padding shorter than four numbers reads the missing ones as 0 and stops at its end.
    {L"textpadding", [](CLabelUI& l, const wchar_t* v) { l.SetTextPadding(attr::ParseRect(v)); }},
    {L"showhtml", [](CLabelUI& l, const wchar_t* v) { l.SetShowHtml(attr::ParseBool(v)); }},
    {L"autocalcwidth", [](CLabelUI& l, const wchar_t* v) { l.SetAutoCalcWidth(attr::ParseBool(v)); }},
};

template <typename T>
struct EffectField {
    const wchar_t* name;
    T LabelEffects::*field;
};

template <typename T, size_t N>
const EffectField<T>* FindEffectField(const EffectField<T> (&table)[N], const wchar_t* name) {
    for (const EffectField<T>& entry : table) {
        if (wcscmp(name, entry.name) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

CLabelUI::CLabelUI() = default;

const wchar_t* CLabelUI::ClassName() const {
    return L"LabelUI";
}

void* CLabelUI::CastTo(const wchar_t* name) {
    if (!name) {
        return nullptr;
    }
    if (wcscmp(name, L"Label") == 0) {
        return this;
    }
    return CControlUI::CastTo(name);
}

UINT CLabelUI::ControlFlags() const {
    return 0;
}

CWideString CLabelUI::Text() const {
    if (m_effectEnabled) {
        return m_effectText ? *m_effectText : CWideString();
    }
    return CControlUI::Text();
}

void CLabelUI::SetText(const wchar_t* text) {
    if (!m_effectEnabled) {
        CControlUI::SetText(text);
        return;
    }
    if (!m_effectText) {
        m_effectText.reset(new (std::nothrow) CWideString);
    }
    if (m_effectText) {
        *m_effectText = text ? text : L"";
    }
}

void CLabelUI::HandleEvent(UIEvent& event) {
    HandleFocusOrPassOn(event);
}

void CLabelUI::HandleFocusOrPassOn(UIEvent& event) {
    if (event.type == EventFocusGained) {
        m_focused = true;
    } else if (event.type == EventFocusLost) {
        m_focused = false;
    } else {
        CControlUI::HandleEvent(event);
    }
}

void CLabelUI::PassMouseEventOn(UIEvent& event) {
    if (m_parent) {
        m_parent->HandleEvent(event);
    } else {
        CLabelUI::HandleEvent(event);
    }
}

void CLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    for (const LabelAttribute& entry : kLabelAttributes) {
        if (wcscmp(name, entry.name) == 0) {
            entry.apply(*this, value);
            return;
        }
    }
    if (wcscmp(name, L"enabledeffect") == 0) {
        m_effectEnabled = attr::ParseBool(value);
        return;
    }
    if (!ApplyEffectAttribute(name, value)) {
        CControlUI::SetAttribute(name, value);
    }
}

template <typename T>
void CLabelUI::StoreEffect(T LabelEffects::*field, T value) {
    if (!m_effects) {
        m_effects.reset(new (std::nothrow) LabelEffects);
    }
    if (m_effects) {
        m_effects.get()->*field = value;
    }
}

bool CLabelUI::ApplyEffectAttribute(const wchar_t* name, const wchar_t* value) {
    static const EffectField<int> kNumbers[] = {
        {L"transshadow", &LabelEffects::transShadow},    {L"transshadow1", &LabelEffects::transShadow1},
        {L"transtext", &LabelEffects::transText},        {L"transtext1", &LabelEffects::transText1},
        {L"transstroke", &LabelEffects::transStroke},    {L"gradientlength", &LabelEffects::gradientLength},
        {L"gradientangle", &LabelEffects::gradientAngle}};
    static const EffectField<DWORD> kColors[] = {{L"textcolor1", &LabelEffects::textColor1},
                                                 {L"textshadowcolora", &LabelEffects::shadowColorA},
                                                 {L"textshadowcolorb", &LabelEffects::shadowColorB},
                                                 {L"strokecolor", &LabelEffects::strokeColor}};
    static const EffectField<bool> kFlags[] = {{L"enabledstroke", &LabelEffects::strokeEnabled},
                                               {L"enabledshadow", &LabelEffects::shadowEnabled}};

    // Read and dropped: nothing in the framework draws a shadow.
    if (wcscmp(name, L"shadowoffset") == 0) {
        return true;
    }
    if (const auto* entry = FindEffectField(kNumbers, name)) {
        StoreEffect(entry->field, attr::ParseInt(value));
    } else if (const auto* color = FindEffectField(kColors, name)) {
        StoreEffect(color->field, attr::ParseColor(value));
    } else if (const auto* flag = FindEffectField(kFlags, name)) {
        StoreEffect(flag->field, attr::ParseBool(value));
    } else {
        return false;
    }
    return true;
}

bool CLabelUI::AutoCalcWidth() const {
    return m_autoCalcWidth;
}

void CLabelUI::SetAutoCalcWidth(bool on) {
    m_autoCalcWidth = on;
}

void CLabelUI::SetTextColor(DWORD color) {
    m_textColor = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD color) {
    m_disabledTextColor = color;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    m_font = index;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT padding) {
    m_textPadding = padding;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool on) {
    if (m_showHtml != on) {
        m_showHtml = on;
        Invalidate();
    }
}

SIZE CLabelUI::FixedSizeOrFontHeight(int extra) {
    if (m_fixedHeight != 0 || !m_host) {
        return SIZE{m_fixedWidth, m_fixedHeight};
    }
    return SIZE{m_fixedWidth, m_host->FontInfoAt(m_font).metrics.tmHeight + extra};
}

void CLabelUI::MeasureAutoWidth(RECT rc, bool markup) {
    if (!m_host) {
        return;
    }
    CWideString text = Text();
    UINT style = m_textStyle | DT_CALCRECT;
    if (markup) {
        int linkCount = 0;
        CGdiPainter::DrawMarkupText(m_host->PaintDC(), m_host, rc, text, m_textColor, nullptr, nullptr,
                                    linkCount, style);
    } else {
        CGdiPainter::DrawPlainText(m_host->PaintDC(), m_host, rc, text, m_textColor, m_font, style);
    }
    // Set directly: this runs inside a layout pass, which must not schedule another one.
    m_fixedWidth = m_textPadding.left + m_textPadding.right + (rc.right - rc.left);
}

SIZE CLabelUI::MeasureSize(SIZE /*available*/) {
    if (m_autoCalcWidth) {
        // A label measures its width as plain text even when it shows mark-up.
        MeasureAutoWidth(RECT{0, 0, 0, 0}, false);
    }
    return FixedSizeOrFontHeight(4);
}

void CLabelUI::TakeDefaultColors() {
    if (!m_host) {
        return;
    }
    if (m_textColor == 0) {
        m_textColor = m_host->DefaultFontColor();
    }
    if (m_disabledTextColor == 0) {
        m_disabledTextColor = m_host->DisabledFontColor();
    }
}

RECT CLabelUI::TextRect() const {
    RECT rc = m_rcItem;
    rc.left += m_textPadding.left;
    rc.top += m_textPadding.top;
    rc.right -= m_textPadding.right;
    rc.bottom -= m_textPadding.bottom;
    return rc;
}

void CLabelUI::DrawCaption(HDC dc, RECT rc, DWORD color, UINT style) {
    CWideString text = Text();
    if (m_showHtml) {
        int linkCount = 0;
        CGdiPainter::DrawMarkupText(dc, m_host, rc, text, color, nullptr, nullptr, linkCount, style);
    } else {
        CGdiPainter::DrawPlainText(dc, m_host, rc, text, color, m_font, style);
    }
}

void CLabelUI::PaintText(HDC dc) {
    TakeDefaultColors();
    if (m_effectEnabled || Text().IsEmpty()) {
        return;
    }
    // A label always draws one line, whatever its style says.
    DrawCaption(dc, TextRect(), StateTextColor(), m_textStyle | DT_SINGLELINE);
}
