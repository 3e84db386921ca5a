#pragma once
// CScrollBarUI: the scroll bar a container creates for one direction. This file holds the bar's
// model, which the container drives: orientation, range, position, line size and the owner
// whose content it scrolls. The arrow buttons, rail, thumb, their images and the mouse
// handling build on this model.

#include "ui/controls/control.h"

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    // A vertical bar is 16 pixels wide by default.
    CScrollBarUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // Showing or hiding a bar is part of its owner's layout: unlike other controls it neither
    // repaints, nor requests a layout, nor takes the focus away.
    void SetVisible(bool on) override;
    void SetFocus() override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    void SetOwner(CContainerUI* owner) { m_owner = owner; }
    CContainerUI* Owner() const { return m_owner; }
    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool on);
    int ScrollRange() const { return m_range; }
    // Negative ranges become 0; the position is kept within the range.
    void SetScrollRange(int range);
    int ScrollPos() const { return m_position; }
    // Clamped to 0..range.
    void SetScrollPos(int position);
    int LineSize() const { return m_lineSize; }
    void SetLineSize(int size) { m_lineSize = size; }

private:
    bool m_horizontal = false;
    int m_range = 100;
    int m_position = 0;
    int m_lineSize = 8;
    CContainerUI* m_owner = nullptr;
};
