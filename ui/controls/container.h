#pragma once
// CContainerUI: a control that owns an ordered list of children. It adds the child-list
// interface IContainerUI, an inset and a child spacing for layouts, floating children with
// relative layout, clipped painting of the children, a tree search that descends into them,
// and optional scroll bars with their scrolling operations. The plain container gives every
// child in the flow the same rectangle; the layouts replace only that placement.

#include "ui/controls/control.h"
#include "ui/draw/gdi_objects.h"
#include "ui/util/pointer_array.h"

class CScrollBarUI;

class IContainerUI {
public:
    virtual CControlUI* ItemAt(int index) const = 0;
    virtual int ItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int Count() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    // ---- IContainerUI ----
    CControlUI* ItemAt(int index) const override;
    int ItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int Count() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // ---- Overrides of the control base ----
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void AttachHost(CWindowHostUI* host, CControlUI* parent, bool initialize) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool on) override;
    void SetInnerVisible(bool on) override;
    void SetEnabled(bool on) override;
    void SetMouseEnabled(bool on) override;
    CControlUI* FindControl(FindControlProc visitor, void* data, UINT flags) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void Paint(HDC dc, const RECT& dirty) override;

    // ---- New virtual operations, in their fixed order ----
    virtual RECT Inset() const;
    virtual void SetInset(RECT rc);
    virtual int ChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool on);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool on);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool on);
    virtual int FindSelectableItem(int index, bool forward) const;
    virtual SIZE ScrollPos() const;
    virtual SIZE ScrollRange() const;
    virtual void SetScrollPos(SIZE pos);
    virtual void SetScrollStepSize(int size);
    virtual int ScrollStepSize() const;
    virtual void ScrollLineUp();
    virtual void ScrollLineDown();
    virtual void ScrollPageUp();
    virtual void ScrollPageDown();
    virtual void ScrollToTop();
    virtual void ScrollToBottom();
    virtual void ScrollLineLeft();
    virtual void ScrollLineRight();
    virtual void ScrollPageLeft();
    virtual void ScrollPageRight();
    virtual void ScrollToLeft();
    virtual void ScrollToRight();
    virtual void EnableScrollBar(bool vertical, bool horizontal);
    virtual CScrollBarUI* VerticalScrollBar() const;
    virtual CScrollBarUI* HorizontalScrollBar() const;
    virtual void PlaceFloatChild(int index);
    // The children outside the flow of a placement: a hidden one is skipped, a floating one is
    // placed by PlaceFloatChild. True when the child at `index` is one of them.
    bool PlaceOutOfFlow(int index);
    virtual void UpdateScrollBars(RECT rc, int cxRequired, int cyRequired);

protected:
    // Item rectangle less the inset.
    RECT InsetRect() const;
    // Item rectangle less the inset and the visible scroll bars.
    RECT ClientRect() const;
    // Takes the visible scroll bars off a rectangle (vertical at the right, horizontal below).
    void ExcludeScrollBars(RECT& rc) const;
    bool IsVerticalBarVisible() const;
    bool IsHorizontalBarVisible() const;
    // Destroys a removed child, at once or through the host's deferred-delete queue.
    void DestroyChild(CControlUI* child);
    void PaintChildren(HDC dc, const RECT& dirty, const CClipScope& outer);
    void PaintScrollBars(HDC dc, const RECT& dirty);
    CControlUI* FindInChildren(FindControlProc visitor, void* data, UINT flags);
    bool HandleScrollKey(const UIEvent& event);
    int LineScrollStep() const;
    int PageHeight() const;
    int PageWidth() const;
    CScrollBarUI* CreateScrollBar(bool horizontal);
    void DestroyScrollBar(CScrollBarUI*& bar);

    PointerArray m_items;
    RECT m_inset = {0, 0, 0, 0};
    int m_childPadding = 0;
    bool m_autoDestroy = true;
    bool m_delayedDestroy = true;
    bool m_mouseChildEnabled = true;
    bool m_inScrollProcessing = false;
    int m_scrollStepSize = 0;
    CScrollBarUI* m_verticalBar = nullptr;
    CScrollBarUI* m_horizontalBar = nullptr;
};
