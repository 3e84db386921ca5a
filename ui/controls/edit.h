#pragma once
// CEditUI: a one-line text field. Without the focus it is painted like a label: its text, the
// placeholder ("tipvalue") or one password character per character. With the focus it opens a
// native edit box over itself (CEditWnd, edit_window.h); every change typed there is copied back
// into the control's text and reported as "textchanged", Return as "return". The box closes
// itself when it loses the focus.

#include "ui/controls/label.h"

class CEditWnd;

// Bits of CEditUI::EditState().
enum EditStateBits : UINT {
    EditFocused = 0x01,
    EditDisabled = 0x04,
    EditHot = 0x08,
};

// Where the native box goes: `padded` is the item rectangle less the text padding. A font lower
// than that rectangle gets a box of the font's height, centred vertically.
RECT CenteredEditRect(RECT padded, int fontHeight);

// The caption shown for a password: one `mark` per character, as CharNextW steps through the text.
CWideString MaskedText(const wchar_t* text, wchar_t mark);

class CEditUI : public CLabelUI {
public:
    // "nativebkcolor" of this value means the box keeps the system's colours.
    static constexpr DWORD kNoNativeBackColor = 0xFFFFFFFF;

    CEditUI();
    // An open box is detached and closed with the control.
    ~CEditUI() override;

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void SetText(const wchar_t* text) override;
    void SetEnabled(bool on) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool on) override;
    void SetInnerVisible(bool on) override;
    SIZE MeasureSize(SIZE available) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStateImages(HDC dc) override;
    void PaintText(HDC dc) override;

    // The open native box, null while closed.
    CEditWnd* EditWindow() const { return m_editWindow; }
    HWND EditWindowHandle() const;
    UINT EditState() const { return m_state; }

    int MaxChars() const { return m_maxChars; }
    void SetMaxChars(int count);
    bool IsReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool on);
    bool IsNumberOnly() const { return (m_nativeStyle & ES_NUMBER) != 0; }
    void SetNumberOnly(bool on);
    bool IsPassword() const { return m_password; }
    void SetPassword(bool on);
    wchar_t PasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(wchar_t ch);
    const CWideString& TipValue() const { return m_tipValue; }
    void SetTipValue(const wchar_t* text) { m_tipValue = text ? text : L""; }
    DWORD TipValueColor() const { return m_tipValueColor; }
    void SetTipValueColor(DWORD color) { m_tipValueColor = color; }
    DWORD NativeBackColor() const { return m_nativeBackColor; }
    void SetNativeBackColor(DWORD color) { m_nativeBackColor = color; }
    DWORD NativeTextColor() const { return m_nativeTextColor; }
    void SetNativeTextColor(DWORD color) { m_nativeTextColor = color; }
    // Window style bits added to the next box.
    DWORD ExtraNativeStyle() const { return m_nativeStyle; }

    enum ImageSlot { NormalImage, HotImage, FocusedImage, DisabledImage, kImageSlots };
    const CWideString& StateImage(ImageSlot slot) const { return m_images[slot]; }
    void SetStateImage(ImageSlot slot, const wchar_t* image);

    // Where the box goes, in client coordinates.
    RECT EditRect();

private:
    friend class CEditWnd;
    // The box's text became the control's text (the box is not told again).
    void TakeTextFromBox(const wchar_t* text);
    // Called by the box when its window has ended.
    void ForgetEditWindow() { m_editWindow = nullptr; }
    void OpenEditWindow();
    void HandlePress(const UIEvent& event);
    // Clears the host's focus when the control was hidden with its box open.
    void CloseBoxIfHidden();
    bool DrawStateImage(HDC dc, ImageSlot slot);

    CEditWnd* m_editWindow = nullptr;
    int m_maxChars = 255;
    bool m_readOnly = false;
    bool m_password = false;
    wchar_t m_passwordChar = L'*';
    UINT m_state = 0;
    CWideString m_images[kImageSlots];
    CWideString m_tipValue;
    DWORD m_tipValueColor = 0xFFBAC0C5;
    DWORD m_nativeBackColor = kNoNativeBackColor;
    DWORD m_nativeTextColor = 0;
    DWORD m_nativeStyle = 0;
};
