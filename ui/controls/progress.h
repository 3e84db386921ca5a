#pragma once
// CProgressUI: a label that draws its fore image over the part of the item rectangle that
// corresponds to its value between a minimum and a maximum, filling from the left or from the
// bottom, either stretched into that part or revealed unscaled.

#include "ui/controls/label.h"

// The filled part of a w x h bar, relative to its top-left corner: from the left when
// horizontal, else from the bottom. Expects minimum < maximum and the value within them.
RECT ProgressFillRect(int width, int height, int minimum, int maximum, int value, bool horizontal);

class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStateImages(HDC dc) override;

    int Value() const { return m_value; }
    // Ignored when equal to the current value or outside minimum..maximum.
    void SetValue(int value);
    int Minimum() const { return m_min; }
    void SetMinimum(int value);
    int Maximum() const { return m_max; }
    void SetMaximum(int value);
    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool on);
    bool IsStretchForeImage() const { return m_stretchFore; }
    void SetStretchForeImage(bool on);
    // The fore image is kept in the control base's fore image text.
    const CWideString& ForeImage() const { return CControlUI::ForeImage(); }
    void SetForeImage(const wchar_t* image);
    // The "dest" (and "source") text the last paint narrowed the fore image with.
    const CWideString& ModifyText() const { return m_modifyText; }

private:
    // Pulls the maximum above the minimum and the value into range, as a paint does.
    void ClampRange();

    bool m_horizontal = true;
    bool m_stretchFore = true;
    int m_max = 100;
    int m_min = 0;
    int m_value = 0;
    CWideString m_modifyText;
};
