// Skin attributes of the control base and the appearance setters they drive.

#include <cwchar>

#include "ui/controls/layout_math.h"
#include "ui/util/attribute_parse.h"
#include "ui/controls/control.h"

namespace {

using AttributeHandler = void (*)(CControlUI& control, const wchar_t* value);

struct AttributeEntry {
    const wchar_t* name;
    AttributeHandler apply;
};

}  // namespace

bool CControlUI::ApplyBaseAttribute(const wchar_t* name, const wchar_t* value) {
    static const AttributeEntry kTable[] = {
        {L"pos", [](CControlUI& c, const wchar_t* v) { c.ApplyPosAttribute(v); }},
        {L"relativepos",
         [](CControlUI& c, const wchar_t* v) {
             RECT r = attr::ParseRect(v);
             c.SetRelativeLayout(r.left, r.top, r.right, r.bottom);
         }},
        {L"padding", [](CControlUI& c, const wchar_t* v) { c.SetPadding(attr::ParseRect(v)); }},
        // Background colours tolerate spaces before the "#"; border colours do not.
        {L"bkcolor", [](CControlUI& c, const wchar_t* v) { c.SetBackColor(attr::ParseColorAfterSpaces(v)); }},
        {L"bkcolor1",
         [](CControlUI& c, const wchar_t* v) { c.SetBackColor(attr::ParseColorAfterSpaces(v)); }},
        {L"bkcolor2",
         [](CControlUI& c, const wchar_t* v) { c.SetBackColor2(attr::ParseColorAfterSpaces(v)); }},
        {L"bkcolor3",
         [](CControlUI& c, const wchar_t* v) { c.SetBackColor3(attr::ParseColorAfterSpaces(v)); }},
        {L"bordercolor", [](CControlUI& c, const wchar_t* v) { c.SetBorderColor(attr::ParseColor(v)); }},
        {L"focusbordercolor",
         [](CControlUI& c, const wchar_t* v) { c.SetFocusBorderColor(attr::ParseColor(v)); }},
        {L"colorhsl", [](CControlUI& c, const wchar_t* v) { c.SetColorAdjusted(attr::ParseBool(v)); }},
        {L"bordersize", [](CControlUI& c, const wchar_t* v) { c.ApplyBorderSizeAttribute(v); }},
        {L"leftbordersize", [](CControlUI& c, const wchar_t* v) { c.SetSideBorder(0, attr::ParseInt(v)); }},
        {L"topbordersize", [](CControlUI& c, const wchar_t* v) { c.SetSideBorder(1, attr::ParseInt(v)); }},
        {L"rightbordersize", [](CControlUI& c, const wchar_t* v) { c.SetSideBorder(2, attr::ParseInt(v)); }},
        {L"bottombordersize", [](CControlUI& c, const wchar_t* v) { c.SetSideBorder(3, attr::ParseInt(v)); }},
        {L"borderstyle", [](CControlUI& c, const wchar_t* v) { c.SetBorderStyle(attr::ParseInt(v)); }},
        {L"borderround", [](CControlUI& c, const wchar_t* v) { c.SetBorderRound(attr::ParseSize(v)); }},
        {L"bkimage", [](CControlUI& c, const wchar_t* v) { c.SetBackImage(v); }},
        {L"width", [](CControlUI& c, const wchar_t* v) { c.SetFixedWidth(attr::ParseInt(v)); }},
        {L"height", [](CControlUI& c, const wchar_t* v) { c.SetFixedHeight(attr::ParseInt(v)); }},
        {L"minwidth", [](CControlUI& c, const wchar_t* v) { c.SetMinWidth(attr::ParseInt(v)); }},
        {L"minheight", [](CControlUI& c, const wchar_t* v) { c.SetMinHeight(attr::ParseInt(v)); }},
        {L"maxwidth", [](CControlUI& c, const wchar_t* v) { c.SetMaxWidth(attr::ParseInt(v)); }},
        {L"maxheight", [](CControlUI& c, const wchar_t* v) { c.SetMaxHeight(attr::ParseInt(v)); }},
        {L"name", [](CControlUI& c, const wchar_t* v) { c.SetName(v); }},
        {L"text", [](CControlUI& c, const wchar_t* v) { c.SetText(v); }},
        {L"tooltip", [](CControlUI& c, const wchar_t* v) { c.SetToolTip(v); }},
        {L"userdata", [](CControlUI& c, const wchar_t* v) { c.SetUserData(v); }},
        {L"enabled", [](CControlUI& c, const wchar_t* v) { c.SetEnabled(attr::ParseBool(v)); }},
        {L"mouse", [](CControlUI& c, const wchar_t* v) { c.SetMouseEnabled(attr::ParseBool(v)); }},
        {L"keyboard", [](CControlUI& c, const wchar_t* v) { c.SetKeyboardEnabled(attr::ParseBool(v)); }},
        {L"visible", [](CControlUI& c, const wchar_t* v) { c.SetVisible(attr::ParseBool(v)); }},
        {L"float", [](CControlUI& c, const wchar_t* v) { c.SetFloat(attr::ParseBool(v)); }},
        {L"shortcut", [](CControlUI& c, const wchar_t* v) { c.SetShortcut(v[0]); }},
        {L"menu", [](CControlUI& c, const wchar_t* v) { c.SetMenuEnabled(attr::ParseBool(v)); }},
        {L"virtualwnd", [](CControlUI& c, const wchar_t* v) { c.SetVirtualWindowName(v); }},
    };
    for (const AttributeEntry& entry : kTable) {
        if (wcscmp(entry.name, name) == 0) {
            entry.apply(*this, value);
            return true;
        }
    }
    return false;
}

void CControlUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value) {
        ApplyBaseAttribute(name, value);
    }
}

void CControlUI::ApplyAttributeText(const wchar_t* list) {
    ApplyEachAttribute(list, &CControlUI::SetAttribute);
}

void CControlUI::ApplyEachAttribute(const wchar_t* list, AttributeSetter apply) {
    attr::CAttributeListReader reader(list);
    CWideString name;
    CWideString value;
    while (reader.Next(name, value)) {
        (this->*apply)(name, value);
    }
}

// "l,t,r,b": the float offset counts from the left/top edge when those are not negative, else
// from the right/bottom; a negative difference leaves the fixed size as it was.
void CControlUI::ApplyPosAttribute(const wchar_t* value) {
    RECT r = attr::ParseRect(value);
    m_floatOffset.cx = r.left >= 0 ? r.left : r.right;
    m_floatOffset.cy = r.top >= 0 ? r.top : r.bottom;
    SetFixedWidth(layoutmath::ToInt(static_cast<long long>(r.right) - r.left));
    SetFixedHeight(layoutmath::ToInt(static_cast<long long>(r.bottom) - r.top));
}

// One number is the border size for every side; a list (any comma) gives per-side widths.
void CControlUI::ApplyBorderSizeAttribute(const wchar_t* value) {
    if (wcschr(value, L',')) {
        SetBorderSizes(attr::ParseRect(value));
        return;
    }
    SetBorderSize(attr::ParseInt(value));
    m_sideBorders = RECT{0, 0, 0, 0};
}

namespace {

// Stores a value; true when it changed (the caller then repaints).
template <typename T>
bool StoreChanged(T& field, T value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

}  // namespace

void CControlUI::SetBackColor(DWORD color) {
    if (StoreChanged(m_backColor, color)) {
        Invalidate();
    }
}

void CControlUI::SetBackColor2(DWORD color) {
    if (StoreChanged(m_backColor2, color)) {
        Invalidate();
    }
}

void CControlUI::SetBackColor3(DWORD color) {
    if (StoreChanged(m_backColor3, color)) {
        Invalidate();
    }
}

void CControlUI::SetBorderColor(DWORD color) {
    if (StoreChanged(m_borderColor, color)) {
        Invalidate();
    }
}

void CControlUI::SetFocusBorderColor(DWORD color) {
    if (StoreChanged(m_focusBorderColor, color)) {
        Invalidate();
    }
}

void CControlUI::SetColorAdjusted(bool on) {
    if (StoreChanged(m_colorAdjust, on)) {
        Invalidate();
    }
}

void CControlUI::SetBorderSize(int size) {
    if (StoreChanged(m_borderSize, size)) {
        Invalidate();
    }
}

void CControlUI::SetBorderSizes(RECT sides) {
    m_sideBorders = sides;
    Invalidate();
}

void CControlUI::SetSideBorder(int side, int width) {
    LONG* sides[] = {&m_sideBorders.left, &m_sideBorders.top, &m_sideBorders.right, &m_sideBorders.bottom};
    *sides[side] = width;
    Invalidate();
}

void CControlUI::SetBorderStyle(int style) {
    m_borderStyle = style;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round) {
    m_borderRound = round;
    Invalidate();
}

void CControlUI::SetBackImage(const wchar_t* image) {
    if (ReadExtras().backImage == (image ? image : L"")) {
        return;
    }
    StoreText(&ControlExtras::backImage, image);
    Invalidate();
}

void CControlUI::SetForeImage(const wchar_t* image) {
    StoreText(&ControlExtras::foreImage, image);
}
