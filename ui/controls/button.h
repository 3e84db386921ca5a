#pragma once
// CButtonUI: the push button. A label with a small state machine (hot, pushed, captured,
// focused, disabled), one image per state, state-dependent caption colours, keyboard
// activation and the notification "click". HandleEvent only changes state and asks for a
// repaint; the state images and the caption are chosen from that state when painting.

#include <memory>

#include "ui/controls/label.h"

// Bits of CButtonUI::ButtonState().
enum ButtonStateBits : UINT {
    ButtonFocused = 0x01,
    ButtonDisabled = 0x04,
    ButtonHot = 0x08,
    ButtonPushed = 0x10,
    ButtonCaptured = 0x40,
};

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    ~CButtonUI() override;

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    UINT ControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool on) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintStateImages(HDC dc) override;
    void PaintText(HDC dc) override;

    UINT ButtonState() const { return m_state; }

    // Image description strings, one per state.
    enum ImageSlot {
        NormalImage,
        HotImage,
        HotForeImage,
        PushedImage,
        FocusedImage,
        DisabledImage,
        kImageSlots
    };
    const wchar_t* StateImage(ImageSlot slot) const;
    void SetStateImage(ImageSlot slot, const wchar_t* image);

    DWORD HotBackColor() const { return m_hotBackColor; }
    void SetHotBackColor(DWORD color) { m_hotBackColor = color; }
    DWORD HotTextColor() const { return m_hotTextColor; }
    void SetHotTextColor(DWORD color) { m_hotTextColor = color; }
    DWORD PushedTextColor() const { return m_pushedTextColor; }
    void SetPushedTextColor(DWORD color) { m_pushedTextColor = color; }
    DWORD FocusedTextColor() const { return m_focusedTextColor; }
    void SetFocusedTextColor(DWORD color) { m_focusedTextColor = color; }
    // The caption colour for the current state (after the host's defaults have been taken).
    DWORD CaptionColor() const;

    int BoundTabIndex() const { return m_bindTabIndex; }
    // Negative indexes are ignored.
    void SetBoundTabIndex(int index);
    const wchar_t* BoundTabLayoutName() const;
    void SetBoundTabLayoutName(const wchar_t* name);

protected:
    // For subclasses that add state bits of their own (the option's checked bit).
    void SetButtonState(UINT state) { m_state = state; }

private:
    struct Images;
    Images* EditImages();
    // Refreshes the focused and disabled bits from the control base before painting.
    void RefreshPaintState();
    // Draws the image of a slot; a failed drawing clears the string so it is not tried again.
    bool DrawSlot(HDC dc, ImageSlot slot);
    bool HasImage(ImageSlot slot) const;
    enum class NextImage { Normal, Fore, None };
    // Draws the image of the state in force and says what is drawn after it.
    NextImage DrawStateImage(HDC dc);
    void SelectBoundTabPage(CWindowHostUI* host);

    UINT m_state = 0;
    DWORD m_hotBackColor = 0;
    DWORD m_hotTextColor = 0;
    DWORD m_pushedTextColor = 0;
    DWORD m_focusedTextColor = 0;
    int m_bindTabIndex = -1;
    // The state images and the bound tab layout name, allocated when a skin sets one.
    std::unique_ptr<Images> m_images;
};
