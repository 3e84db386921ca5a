#pragma once
// CScrollBarUI: the scroll bar a container creates for one direction, or a free-standing bar of
// a skin. Two arrow buttons, a rail and a thumb whose length shows the visible share of the
// content. Buttons scroll by a line, the rail by a page, the thumb by dragging; holding a
// button or the rail repeats after a short delay. A bar with an owner scrolls the owner
// through its scroll operations; a free bar keeps its own position and sends "scroll".

#include <memory>

#include "ui/controls/control.h"
#include "ui/controls/scroll_bar_geometry.h"

class CContainerUI;

// The parts a bar paints, each with four state images.
enum ScrollBarPart { ScrollPartBack, ScrollPartButton1, ScrollPartButton2, ScrollPartThumb, ScrollPartRail };
enum ScrollBarImageState { ScrollImageNormal, ScrollImageHot, ScrollImagePushed, ScrollImageDisabled };

// State bits of the buttons and the thumb.
enum ScrollPartStateBits : UINT {
    ScrollStateDisabled = 0x04,
    ScrollStateHot = 0x08,
    ScrollStatePushed = 0x10,
    ScrollStateCaptured = 0x40,  // the thumb is being dragged
};

class CScrollBarUI : public CControlUI {
public:
    // The repeat timer: a press starts it, the release stops it.
    static constexpr UINT kRepeatTimerId = 10;
    static constexpr UINT kRepeatElapse = 50;
    // Ticks before holding a button or the rail starts repeating (250 ms).
    static constexpr int kRepeatDelayTicks = 6;

    // A vertical bar is 16 pixels wide by default.
    CScrollBarUI();
    ~CScrollBarUI() override;

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // Showing or hiding a bar is part of its owner's layout: unlike other controls it neither
    // repaints, nor requests a layout, nor takes the focus away.
    void SetVisible(bool on) override;
    void SetEnabled(bool on) override;
    void SetFocus() override;
    void SetPos(RECT rc) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void Paint(HDC dc, const RECT& dirty) override;

    void SetOwner(CContainerUI* owner) { m_owner = owner; }
    CContainerUI* Owner() const { return m_owner; }
    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool on);
    // The default thickness (16 skin pixels) at the host's DPI, then the skin's own lengths
    // again: what a bar needs when its host changes DPI.
    void RescaleToHost();
    int ScrollRange() const { return m_range; }
    // Negative ranges become 0; the position is kept within the range.
    void SetScrollRange(int range);
    int ScrollPos() const { return m_position; }
    // Clamped to 0..range.
    void SetScrollPos(int position);
    int LineSize() const { return m_lineSize; }
    void SetLineSize(int size) { m_lineSize = size; }
    bool IsButton1Shown() const { return m_showButton1; }
    void SetShowButton1(bool on);
    bool IsButton2Shown() const { return m_showButton2; }
    void SetShowButton2(bool on);

    // ---- Parts and their states ----
    const RECT& Button1Rect() const { return m_parts.button1; }
    const RECT& Button2Rect() const { return m_parts.button2; }
    const RECT& ThumbRect() const { return m_parts.thumb; }
    UINT Button1State() const { return m_button1State; }
    UINT Button2State() const { return m_button2State; }
    UINT ThumbState() const { return m_thumbState; }

    // ---- Images ----
    const wchar_t* PartImage(ScrollBarPart part, ScrollBarImageState state) const;
    // Null or empty clears; the bar is repainted.
    void SetPartImage(ScrollBarPart part, ScrollBarImageState state, const wchar_t* image);
    void SetBkNormalImage(const wchar_t* s) { SetPartImage(ScrollPartBack, ScrollImageNormal, s); }
    void SetBkHotImage(const wchar_t* s) { SetPartImage(ScrollPartBack, ScrollImageHot, s); }
    void SetBkPushedImage(const wchar_t* s) { SetPartImage(ScrollPartBack, ScrollImagePushed, s); }
    void SetBkDisabledImage(const wchar_t* s) { SetPartImage(ScrollPartBack, ScrollImageDisabled, s); }
    void SetButton1NormalImage(const wchar_t* s) { SetPartImage(ScrollPartButton1, ScrollImageNormal, s); }
    void SetButton1HotImage(const wchar_t* s) { SetPartImage(ScrollPartButton1, ScrollImageHot, s); }
    void SetButton1PushedImage(const wchar_t* s) { SetPartImage(ScrollPartButton1, ScrollImagePushed, s); }
    void SetButton1DisabledImage(const wchar_t* s) {
        SetPartImage(ScrollPartButton1, ScrollImageDisabled, s);
    }
    void SetButton2NormalImage(const wchar_t* s) { SetPartImage(ScrollPartButton2, ScrollImageNormal, s); }
    void SetButton2HotImage(const wchar_t* s) { SetPartImage(ScrollPartButton2, ScrollImageHot, s); }
    void SetButton2PushedImage(const wchar_t* s) { SetPartImage(ScrollPartButton2, ScrollImagePushed, s); }
    void SetButton2DisabledImage(const wchar_t* s) {
        SetPartImage(ScrollPartButton2, ScrollImageDisabled, s);
    }
    void SetThumbNormalImage(const wchar_t* s) { SetPartImage(ScrollPartThumb, ScrollImageNormal, s); }
    void SetThumbHotImage(const wchar_t* s) { SetPartImage(ScrollPartThumb, ScrollImageHot, s); }
    void SetThumbPushedImage(const wchar_t* s) { SetPartImage(ScrollPartThumb, ScrollImagePushed, s); }
    void SetThumbDisabledImage(const wchar_t* s) { SetPartImage(ScrollPartThumb, ScrollImageDisabled, s); }
    void SetRailNormalImage(const wchar_t* s) { SetPartImage(ScrollPartRail, ScrollImageNormal, s); }
    void SetRailHotImage(const wchar_t* s) { SetPartImage(ScrollPartRail, ScrollImageHot, s); }
    void SetRailPushedImage(const wchar_t* s) { SetPartImage(ScrollPartRail, ScrollImagePushed, s); }
    void SetRailDisabledImage(const wchar_t* s) { SetPartImage(ScrollPartRail, ScrollImageDisabled, s); }

private:
    // Twenty image strings are large and most bars of a skin share a class default or have
    // none, so they live in a block made on the first image set.
    struct Images {
        CWideString texts[5][4];  // [ScrollBarPart][ScrollBarImageState]
    };

    // The side of the square buttons: the bar's thickness.
    int Side() const { return m_horizontal ? m_fixedHeight : m_fixedWidth; }
    // How far the thumb can travel along the bar.
    int ThumbTravel() const;

    // ---- Scroll actions (scroll_bar_input.cpp) ----
    using OwnerAction = void (CContainerUI::*)();
    // Through the owner's operation for this bar's direction, or `ownStep` on a free bar.
    void Act(int ownStep, OwnerAction vertical, OwnerAction horizontal);
    void LineBack();
    void LineForward();
    void PageBack();
    void PageForward();
    void PageTowards(POINT point);
    void ApplyDrag();
    // Sets the own position of a free bar and tells the window.
    void ScrollSelf(int position);
    void OnPress(const UIEvent& event);
    void OnMouseMove(const UIEvent& event);
    void OnRelease();
    void OnRepeatTick();
    void OnHover(const UIEvent& event, bool entered);
    void PassOn(UIEvent& event);

    // ---- Painting (scroll_bar_paint.cpp) ----
    void PaintPart(HDC dc, ScrollBarPart part, UINT& state, const RECT* dest);

    bool m_horizontal = false;
    bool m_showButton1 = true;
    bool m_showButton2 = true;
    int m_range = 100;
    int m_position = 0;
    int m_lineSize = 8;
    CContainerUI* m_owner = nullptr;
    POINT m_dragStartPoint = {0, 0};
    int m_dragStartPosition = 0;
    int m_dragDelta = 0;
    int m_repeatTicks = 0;
    ScrollBarParts m_parts;
    UINT m_button1State = 0;
    UINT m_button2State = 0;
    UINT m_thumbState = 0;
    std::unique_ptr<Images> m_images;
};
