#pragma once
// CLabelUI shows one caption in one colour and font inside its item rectangle. It is also the
// base of the text control, the progress bar and the button, which inherit its text attributes
// and measuring. CTextUI wraps its text and, in mark-up, keeps the rectangles of its links so
// that a click on one becomes the notification "link".

#include <memory>

#include "ui/controls/control.h"

// The text effect settings ("enabledeffect" and friends). Skins may carry them, nothing in the
// framework draws them, so they live in a block of their own that exists only when a skin sets
// one of them.
struct LabelEffects {
    int transShadow = 60;
    int transShadow1 = 60;
    int transText = 168;
    int transText1 = 168;
    int transStroke = 255;
    int gradientLength = 0;
    int gradientAngle = 0;
    bool strokeEnabled = false;
    bool shadowEnabled = false;
    DWORD textColor1 = 0xFFFFFFFF;
    DWORD shadowColorA = 0xFF000000;
    DWORD shadowColorB = 0xFFFFFFFF;
    DWORD strokeColor = 0;
};

class CLabelUI : public CControlUI {
public:
    CLabelUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    UINT ControlFlags() const override;
    CWideString Text() const override;
    void SetText(const wchar_t* text) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintText(HDC dc) override;
    // Appended after the control base's operations.
    virtual bool AutoCalcWidth() const;
    virtual void SetAutoCalcWidth(bool on);

    DWORD TextColor() const { return m_textColor; }
    void SetTextColor(DWORD color);
    DWORD DisabledTextColor() const { return m_disabledTextColor; }
    void SetDisabledTextColor(DWORD color);
    int Font() const { return m_font; }
    void SetFont(int index);
    UINT TextStyle() const { return m_textStyle; }
    void SetTextStyle(UINT style) { m_textStyle = style; }
    RECT TextPadding() const { return m_textPadding; }
    void SetTextPadding(RECT padding);
    bool IsShowHtml() const { return m_showHtml; }
    void SetShowHtml(bool on);
    bool IsEffectEnabled() const { return m_effectEnabled; }
    // Null until a skin sets one of the effect values.
    const LabelEffects* Effects() const { return m_effects.get(); }

protected:
    // Replaces (and keeps) a text colour of 0 by the host's default colour, and a disabled text
    // colour of 0 by the host's disabled colour.
    void TakeDefaultColors();
    // The item rectangle less the text padding.
    RECT TextRect() const;
    // The enabled or disabled text colour, as the control is now.
    DWORD StateTextColor() const { return IsEnabled() ? m_textColor : m_disabledTextColor; }
    // Fixed size, with a height from the font when none is fixed: text height + `extra`.
    SIZE FixedSizeOrFontHeight(int extra);
    // Measures the text in `rc` (plain or mark-up) with the text style and sets the fixed width
    // to the padding plus the measured width.
    void MeasureAutoWidth(RECT rc, bool markup);
    // Draws the caption in `rc` in `color` through the mark-up or the plain routine.
    void DrawCaption(HDC dc, RECT rc, DWORD color, UINT style);
    // Routes a mouse event of a control that takes no mouse input: to the parent, or to the
    // label's own handling without one.
    void PassMouseEventOn(UIEvent& event);
    // Focus events set or clear the focused flag without repainting; the rest go to the base.
    void HandleFocusOrPassOn(UIEvent& event);

    UINT m_textStyle = DT_VCENTER;
    RECT m_textPadding = {0, 0, 0, 0};

private:
    // Stores one effect value, making the block on first use (dropped when there is no memory).
    template <typename T>
    void StoreEffect(T LabelEffects::*field, T value);
    bool ApplyEffectAttribute(const wchar_t* name, const wchar_t* value);

    DWORD m_textColor = 0;
    DWORD m_disabledTextColor = 0;
    int m_font = -1;
    bool m_showHtml = false;
    bool m_autoCalcWidth = false;
    bool m_effectEnabled = false;
    std::unique_ptr<LabelEffects> m_effects;
    std::unique_ptr<CWideString> m_effectText;  // the caption while the effect switch is on
};

// Wrapped text, optionally in the tag mark-up with clickable links. With "autocalcheight" and
// no fixed height it is as tall as its text wrapped in the width it is given, so that a
// scrolling layout around it scrolls through all of it.
class CTextUI : public CLabelUI {
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    UINT ControlFlags() const override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void SetText(const wchar_t* text) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintText(HDC dc) override;

    bool AutoCalcHeight() const { return m_autoCalcHeight; }
    void SetAutoCalcHeight(bool on);

    // Links laid out by the last paint of mark-up text.
    int LinkCount() const { return m_linkCount; }
    // Text of link `index` of the last paint; null out of range.
    const CWideString* LinkText(int index) const;
    RECT LinkRect(int index) const;
    // The link under the mouse, -1 for none.
    int HoverLink() const { return m_hoverLink; }

private:
    // Index of the first link rectangle that holds the point, -1 for none.
    int LinkAt(POINT point) const;
    bool HandleLinkEvent(const UIEvent& event);
    // Padding plus the height of the text wrapped in `width` (padding included); at least 1, so
    // that an empty text still counts as sized rather than stretched.
    int MeasureWrappedHeight(int width);

    // The link lists the mark-up renderer fills; allocated at the first paint of mark-up, so
    // plain text controls (nearly all of them) do not carry eight strings each.
    struct Links {
        RECT rects[kMaxLinks] = {};
        CWideString texts[kMaxLinks];
    };
    std::unique_ptr<Links> m_links;
    int m_linkCount = 0;
    int m_hoverLink = -1;
    bool m_autoCalcHeight = false;
};
