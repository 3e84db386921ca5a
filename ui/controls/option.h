#pragma once
// COptionUI: a button with a checked state. Without a group name it is a check box that toggles
// on each activation; with one it is a radio button, and checking it unchecks the other members
// of that group in the same window host. It has its own images and colours for the checked
// state and announces a change of state with "selectchanged". CCheckBoxUI is the same control
// under another class name.

#include <memory>

#include "ui/controls/button.h"

// The button state bit set exactly while an option is checked.
constexpr UINT ButtonChecked = 0x02;

class COptionUI : public CButtonUI {
public:
    COptionUI();
    ~COptionUI() override;

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    bool Activate() override;
    void AttachHost(CWindowHostUI* host, CControlUI* parent, bool initialize) override;
    void SetEnabled(bool on) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStateImages(HDC dc) override;
    void PaintText(HDC dc) override;
    // Appended after the label's and the button's operations.
    virtual void SetChecked(bool on);

    bool IsChecked() const { return m_checked; }
    const wchar_t* GroupName() const { return m_group; }
    void SetGroupName(const wchar_t* name);

    DWORD CheckedBackColor() const { return m_checkedBackColor; }
    void SetCheckedBackColor(DWORD color);
    DWORD CheckedTextColor() const { return m_checkedTextColor; }
    void SetCheckedTextColor(DWORD color);

    // Image description strings of the checked state and the option's own fore image.
    enum OptionImage {
        CheckedImage,
        CheckedHotImage,
        CheckedPushedImage,
        OwnForeImage,
        CheckedForeImage,
        kOptionImages
    };
    const wchar_t* OptionImageText(OptionImage slot) const;
    void SetCheckedImage(const wchar_t* image) { SetOptionImage(CheckedImage, image); }
    void SetCheckedHotImage(const wchar_t* image) { SetOptionImage(CheckedHotImage, image); }
    void SetCheckedPushedImage(const wchar_t* image) { SetOptionImage(CheckedPushedImage, image); }
    void SetForeImage(const wchar_t* image) { SetOptionImage(OwnForeImage, image); }
    void SetCheckedForeImage(const wchar_t* image) { SetOptionImage(CheckedForeImage, image); }

private:
    void SetOptionImage(OptionImage slot, const wchar_t* image);
    bool HasOptionImage(OptionImage slot) const;
    // Draws one of the option's images; a failed drawing clears the string.
    bool DrawOptionImage(HDC dc, OptionImage slot);
    // Draws a checked state image, falling back to the button's state images when it fails.
    void DrawOrButton(HDC dc, OptionImage slot);
    // The checked background without a checked image; false when the button paints instead.
    bool PaintCheckedBackColor(HDC dc);
    void PaintForeImage(HDC dc);
    void UncheckOtherMembers();
    // Group membership is kept with the host it was made in: the builder attaches the host only
    // while it applies attributes, so the current host cannot tell which group list holds this
    // option when it leaves or is destroyed.
    void JoinGroup(CWindowHostUI* host);
    void LeaveGroup();

    bool m_checked = false;
    CWideString m_group;
    CWindowHostUI* m_groupHost = nullptr;
    DWORD m_checkedBackColor = 0;
    DWORD m_checkedTextColor = 0;
    std::unique_ptr<CWideString[]> m_images;  // kOptionImages strings, made on first use
};

class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* ClassName() const override;
};
