#pragma once
// CTabLayoutUI: a container that shows one of its children at a time, the selected page, and
// gives it the whole inner area; the other children stay but are hidden. A page is chosen by
// "selectedid", by code or by a button bound to the layout by name, and each change of page
// sends "tabselect" (wParam the new page, lParam the previous one).

#include "ui/controls/container.h"

class CDeletionWatch;

class CTabLayoutUI : public CContainerUI {
public:
    CTabLayoutUI();
    ~CTabLayoutUI() override;

    // ---- IContainerUI: the selection follows its page through every change of the list ----
    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;

    // ---- Overrides of the control base ----
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    // ---- New virtual operations, in their fixed order ----
    virtual bool ShowPageOf(CControlUI* control);
    virtual bool ShowPage(int index);

    // The selected page's index; -1 when none is selected.
    int CurrentPage() const { return m_selected; }

private:
    // Takes a visible new child as the first selection; hides it otherwise.
    void AdoptNewChild(CControlUI* control, bool wasVisible);
    void PlaceSelectedPage(CControlUI* page, const RECT& inner);
    // Whether the layout sits in the tree its host shows, rather than being attached only for
    // a moment while a skin is built.
    bool IsInHostTree() const;
    bool SwitchPages(int index, const CDeletionWatch& watch);

    int m_selected = -1;
};
