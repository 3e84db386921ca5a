#pragma once
// The vertical and horizontal layouts: containers that stack their children along one axis,
// giving the children without a size of their own equal shares of the free space. Either can
// act as a splitter: with a separator size, one of its edges becomes a handle that resizes the
// layout itself.

#include "ui/controls/container.h"

// What the two layouts share: the placement along their axis, the separator handle and its
// dragging. Not a skin element; the two classes below only name the axis.
class CLinearLayoutUI : public CContainerUI {
public:
    UINT ControlFlags() const override;
    void SetPos(RECT rc) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintAfter(HDC dc, const RECT& dirty) override;

    int SeparatorSize() const { return m_separator; }
    void SetSeparatorSize(int size) { m_separator = size; }
    bool IsImmediateResize() const { return m_immediate; }
    void SetImmediateResize(bool on);
    bool IsDragging() const { return (m_buttonState & kDragging) != 0; }
    // The separator strip over the dragged rectangle (while dragging and asked to) or over the
    // item rectangle.
    RECT SeparatorRect(bool dragged) const;

protected:
    explicit CLinearLayoutUI(bool vertical);

private:
    static constexpr UINT kDragging = 0x40;

    bool BeginDrag(const UIEvent& event);
    void EndDrag();
    void DragTo(POINT point);
    void FitHorizontalBar(RECT& inner, int needed);

    bool m_vertical;
    int m_separator = 0;
    UINT m_buttonState = 0;
    POINT m_lastMouse = {0, 0};
    RECT m_dragged = {0, 0, 0, 0};
    bool m_immediate = false;
};

class CHorizontalLayoutUI : public CLinearLayoutUI {
public:
    CHorizontalLayoutUI();
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

class CVerticalLayoutUI : public CLinearLayoutUI {
public:
    CVerticalLayoutUI();
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};
