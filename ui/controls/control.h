#pragma once
// CControlUI: the base of every element of the control tree. It carries identity, geometry,
// state flags, texts, background and border appearance and the listener lists, reads its own
// skin attributes, paints background and border, and asks its host for repaint and re-layout.
// Subclasses extend it by overriding the virtual operations below; their order is fixed.

#include <windows.h>

#include "ui/controls/delegate.h"
#include "ui/core/window_host_types.h"
#include "ui/util/wide_string.h"

class CWindowHostUI;

// Bits for FindControl. Containers understand the last two as well.
enum FindControlFlags : UINT {
    FindVisible = 0x00000001,
    FindEnabled = 0x00000002,
    FindHitTest = 0x00000004,
    FindTopFirst = 0x00000008,
    FindMeFirst = 0x80000000,
};

// Bits of ControlFlags().
enum ControlFlagBits : UINT {
    ControlFlagTabStop = 0x01,
    ControlFlagSetCursor = 0x02,
};

// Visitor of FindControl: a non-null result ends the search.
using FindControlProc = CControlUI* (*)(CControlUI* control, void* data);

struct RelativeLayoutRecord {
    bool relative = false;
    SIZE parentSize = {0, 0};
    int moveXPercent = 0;
    int moveYPercent = 0;
    int zoomXPercent = 0;
    int zoomYPercent = 0;
};

// The parts of a control that layout rarely touches: its texts (each string keeps up to 62
// characters inline, so the seven of them are large), the listener lists and the settings few
// controls use. They live in a block of their own, allocated on first use, which keeps the
// fields that layout and painting walk close together. A placement looks here only when the
// block exists (size listeners, relative layout of a floating child).
struct ControlExtras {
    CWideString virtualWindowName;
    CWideString name;
    CWideString text;
    CWideString toolTip;
    CWideString userData;
    CWideString backImage;
    CWideString foreImage;
    CListenerList initListeners;
    CListenerList destroyListeners;
    CListenerList sizeListeners;
    CListenerList eventListeners;
    CListenerList notifyListeners;
    RelativeLayoutRecord relative;
    UINT_PTR userTag = 0;
    int toolTipWidth = 300;
    wchar_t shortcut = 0;
};

class CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // ---- The virtual interface, in its fixed order ----
    virtual ~CControlUI();
    virtual CWideString Name() const;
    virtual void SetName(const wchar_t* name);
    virtual const wchar_t* ClassName() const;
    // Every class: a null name gives null.
    virtual void* CastTo(const wchar_t* name);
    virtual UINT ControlFlags() const;
    virtual bool Activate();
    virtual CWindowHostUI* Host() const;
    virtual void AttachHost(CWindowHostUI* host, CControlUI* parent, bool initialize);
    virtual CControlUI* ParentControl() const;
    virtual CWideString Text() const;
    virtual void SetText(const wchar_t* text);
    virtual const RECT& Pos() const;
    virtual void SetPos(RECT rc);
    virtual int Width() const;
    virtual int Height() const;
    virtual int X() const;
    virtual int Y() const;
    virtual RECT Padding() const;
    virtual void SetPadding(RECT rc);
    virtual SIZE FloatOffset() const;
    virtual void SetFloatOffset(SIZE offset);
    virtual int FixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int FixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int MinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int MaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int MinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int MaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual void SetRelativeLayout(int moveX, int moveY, int zoomX, int zoomY);
    virtual void SetRelativeParentSize(SIZE size);
    virtual RelativeLayoutRecord RelativeLayout() const;
    virtual bool IsRelativeLayout() const;
    virtual CWideString ToolTip() const;
    virtual void SetToolTip(const wchar_t* text);
    virtual void SetToolTipWidth(int cx);
    virtual int ToolTipWidth() const;
    virtual wchar_t Shortcut() const;
    virtual void SetShortcut(wchar_t ch);
    virtual bool IsMenuEnabled() const;
    virtual void SetMenuEnabled(bool on);
    virtual CWideString UserData() const;
    virtual void SetUserData(const wchar_t* text);
    virtual UINT_PTR UserTag() const;
    virtual void SetUserTag(UINT_PTR value);
    virtual bool IsVisible() const;
    virtual void SetVisible(bool on);
    virtual void SetInnerVisible(bool on);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool on);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool on);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool on);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool on);
    virtual CControlUI* FindControl(FindControlProc visitor, void* data, UINT flags);
    virtual void Initialize();
    virtual void OnInitialize();
    virtual void DispatchEvent(UIEvent& event);
    virtual void HandleEvent(UIEvent& event);
    // Every class: a null name or value changes nothing.
    virtual void SetAttribute(const wchar_t* name, const wchar_t* value);
    virtual SIZE MeasureSize(SIZE available);
    virtual void Paint(HDC dc, const RECT& dirty);
    virtual void PaintBackColor(HDC dc);
    virtual void PaintBackImage(HDC dc);
    virtual void PaintStateImages(HDC dc);
    virtual void PaintText(HDC dc);
    virtual void PaintBorder(HDC dc);
    virtual void PaintAfter(HDC dc, const RECT& dirty);

    // ---- Accessibility, appended after the fixed order ----
    // What a screen reader is told about the control: an Active Accessibility role (ROLE_SYSTEM_*),
    // name, state bits (STATE_SYSTEM_*), value and the name of the default action (empty: none),
    // and the default action itself (false when there is none). The defaults, in
    // ui/accessibility/, answer for every class of the framework; a control of an application
    // overrides them.
    virtual DWORD AccessibleRole();
    virtual CWideString AccessibleName();
    virtual DWORD AccessibleState();
    virtual CWideString AccessibleValue();
    virtual CWideString AccessibleDefaultAction();
    virtual bool DoAccessibleDefaultAction();
    // Tells screen readers of a change (an EVENT_OBJECT_* number) through the host.
    void NotifyAccessible(DWORD event);

    // ---- Repaint and re-layout requests ----
    void Invalidate();
    void MarkDirty();
    void MarkParentDirty();
    bool IsUpdateNeeded() const { return m_updateNeeded; }

    // Draws an image description (and an optional modify string) into the item rectangle, limited
    // to the current paint rectangle; false only without a host.
    bool DrawImage(HDC dc, const wchar_t* image, const wchar_t* modify = nullptr);

    // Applies a name="value" list through SetAttribute, so subclasses see their own names.
    void ApplyAttributeText(const wchar_t* list);

    // ---- Skin attributes at the display scale (control_dpi.cpp) ----
    // A skin attribute whose value holds lengths is remembered as written and applied scaled to
    // the host's DPI (96 without a host); any other attribute goes to SetAttribute as it is.
    void ApplySkinAttribute(const wchar_t* name, const wchar_t* value);
    // The same for each entry of a name="value" list (class defaults).
    void ApplySkinAttributeText(const wchar_t* list);
    // Applies the remembered skin lengths again at the host's current DPI.
    void RescaleSkinLengths();

    // ---- Appearance ----
    DWORD BackColor() const { return m_backColor; }
    DWORD BackColor2() const { return m_backColor2; }
    DWORD BackColor3() const { return m_backColor3; }
    void SetBackColor(DWORD color);
    void SetBackColor2(DWORD color);
    void SetBackColor3(DWORD color);
    const CWideString& BackImage() const { return ReadExtras().backImage; }
    void SetBackImage(const wchar_t* image);
    const CWideString& ForeImage() const { return ReadExtras().foreImage; }
    void SetForeImage(const wchar_t* image);
    DWORD BorderColor() const { return m_borderColor; }
    void SetBorderColor(DWORD color);
    DWORD FocusBorderColor() const { return m_focusBorderColor; }
    void SetFocusBorderColor(DWORD color);
    bool IsColorAdjusted() const { return m_colorAdjust; }
    void SetColorAdjusted(bool on);
    int BorderSize() const { return m_borderSize; }
    void SetBorderSize(int size);
    RECT BorderSizes() const { return m_sideBorders; }
    void SetBorderSizes(RECT sides);
    // side: 0 left, 1 top, 2 right, 3 bottom.
    void SetSideBorder(int side, int width);
    int BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(int style);
    SIZE BorderRound() const { return m_borderRound; }
    void SetBorderRound(SIZE round);
    const RECT& PaintRect() const { return m_paintRect; }

    // ---- Virtual window name (inherited from the parent when empty) ----
    void SetVirtualWindowName(const wchar_t* name);
    CWideString VirtualWindowName() const;

    // ---- Listener lists ----
    CListenerList& InitListeners() { return Extras().initListeners; }
    CListenerList& DestroyListeners() { return Extras().destroyListeners; }
    CListenerList& SizeListeners() { return Extras().sizeListeners; }
    CListenerList& EventListeners() { return Extras().eventListeners; }
    CListenerList& NotifyListeners() { return Extras().notifyListeners; }
    // Runs the notify listeners (used by the host when it sends a notification about this
    // control); true when none stopped the run.
    bool RunNotifyListeners(NotifyMsg& msg);

protected:
    const ControlExtras& ReadExtras() const;
    ControlExtras& Extras();
    // Stores one text; an empty value needs no block.
    void StoreText(CWideString ControlExtras::*field, const wchar_t* value);
    // Clips a rectangle by the item rectangles of every ancestor; false when nothing is left.
    bool ClipByAncestors(RECT& rc) const;
    // Re-layout request after a change of a size setting (the float rules of the setters).
    void MarkSizeChanged();
    void SetLimit(int& field, int value);
    void KeepFloatOffsetRelativeToParent(const RECT& rc);
    void ApplyPosAttribute(const wchar_t* value);
    void ApplyBorderSizeAttribute(const wchar_t* value);
    // Reads a name="value" list and hands each entry to `apply` (SetAttribute dispatches to the
    // subclass).
    using AttributeSetter = void (CControlUI::*)(const wchar_t* name, const wchar_t* value);
    void ApplyEachAttribute(const wchar_t* list, AttributeSetter apply);
    // The attribute table of the base; false for a name it does not know.
    bool ApplyBaseAttribute(const wchar_t* name, const wchar_t* value);

    // The fields a layout pass reads and writes come first (about 90 bytes with the table
    // pointer), so that placing a control touches as few cache lines as possible: a large tree
    // does not fit the cache, and its layout time is mostly spent waiting for memory. The rest
    // lives behind them or in a separate block (see ControlExtras).
    CWindowHostUI* m_host = nullptr;
    CControlUI* m_parent = nullptr;
    ControlExtras* m_extras = nullptr;  // owned; null until a text or listener is set
    RECT m_rcItem = {0, 0, 0, 0};
    RECT m_padding = {0, 0, 0, 0};
    SIZE m_floatOffset = {0, 0};
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 9999;
    int m_maxHeight = 9999;
    bool m_updateNeeded = true;
    bool m_visible = true;
    bool m_innerVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    bool m_focused = false;
    bool m_floating = false;
    bool m_inSizeNotification = false;
    bool m_menuEnabled = false;
    DWORD m_backColor = 0;
    DWORD m_backColor2 = 0;
    DWORD m_backColor3 = 0;
    DWORD m_borderColor = 0;
    DWORD m_focusBorderColor = 0;
    bool m_colorAdjust = false;
    int m_borderSize = 0;
    int m_borderStyle = 0;
    SIZE m_borderRound = {0, 0};
    RECT m_paintRect = {0, 0, 0, 0};
    RECT m_sideBorders = {0, 0, 0, 0};
    // Set by the destructor while a CDeletionWatch runs, so that a call that lets listeners run
    // notices when one of them deleted this control.
    bool* m_deletionSlot = nullptr;
    // Owned; the length attributes the skin gave, as written, so a DPI change can apply them
    // again (control_dpi.cpp). A block of its own: most layouts need no extras block.
    CWideString* m_skinLengths = nullptr;
};
