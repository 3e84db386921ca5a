#pragma once
// CSliderUI: a progress bar with a thumb at the value's position that can be pressed, dragged,
// clicked beside or moved with the mouse wheel. It sends "valuechanged" when the user sets a
// value and, when asked to ("sendmove"), "movevaluechanged" while the thumb is dragged.

#include "ui/controls/progress.h"

// The geometry of a slider, apart from the control so that it can be computed without a window.
// A range with the maximum not above the minimum, or a thumb that fills the whole track, has no
// positions to divide: the thumb then sits at the minimum end and every point means the minimum.
struct SliderTrack {
    RECT item;
    SIZE thumb;
    int minimum;
    int maximum;
    bool horizontal;
};
RECT SliderThumbRect(const SliderTrack& track, int value);
int SliderValueAt(const SliderTrack& track, POINT point);

// Bits of CSliderUI::SliderState().
enum SliderStateBits : UINT {
    SliderHot = 0x08,
    SliderCaptured = 0x40,
};

class CSliderUI : public CProgressUI {
public:
    CSliderUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    UINT ControlFlags() const override;
    void SetEnabled(bool on) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStateImages(HDC dc) override;

    // Ignored while the thumb is held, when equal to the value or outside minimum..maximum.
    void SetValue(int value);
    RECT ThumbRect() const;
    UINT SliderState() const { return m_state; }
    SIZE ThumbSize() const { return m_thumbSize; }
    void SetThumbSize(SIZE size) { m_thumbSize = size; }
    int Step() const { return m_step; }
    void SetStep(int step) { m_step = step; }
    bool IsSendMove() const { return m_sendMove; }
    void SetSendMove(bool on) { m_sendMove = on; }

    enum ThumbImage { Thumb, ThumbHot, ThumbPushed, kThumbImages };
    const wchar_t* ThumbImageText(ThumbImage slot) const { return m_thumbImages[slot]; }
    void SetThumbImage(const wchar_t* image) { SetThumbSlot(Thumb, image); }
    void SetThumbHotImage(const wchar_t* image) { SetThumbSlot(ThumbHot, image); }
    void SetThumbPushedImage(const wchar_t* image) { SetThumbSlot(ThumbPushed, image); }
    // The "dest" text the last thumb drawing used.
    const CWideString& ThumbModifyText() const { return m_thumbModify; }

private:
    void SetThumbSlot(ThumbImage slot, const wchar_t* image);
    SliderTrack Track() const;
    void Notify(const wchar_t* type);
    void OnButtonDown(const UIEvent& event);
    void OnButtonUp(const UIEvent& event);
    void OnWheel(UIEvent& event);
    void OnMouseMove(const UIEvent& event);
    // Draws one thumb image with the modify text; a failed drawing clears it.
    bool DrawThumb(HDC dc, ThumbImage slot);

    SIZE m_thumbSize = {10, 10};
    UINT m_state = 0;
    int m_step = 1;
    CWideString m_thumbImages[kThumbImages];
    CWideString m_thumbModify;
    bool m_sendMove = false;
};
