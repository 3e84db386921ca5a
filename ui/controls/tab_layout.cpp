// CTabLayoutUI: page selection, the selection's bookkeeping as children come, go and move, and
// the placement of the selected page.

#include "ui/controls/tab_layout.h"

#include <cwchar>

#include "ui/util/attribute_parse.h"
#include "ui/util/deletion_watch.h"
#include "ui/controls/layout_math.h"
#include "ui/core/window_host.h"

using layoutmath::ClampSize;

namespace {

// Where the page at `selected` sits after the child at `from` moved to `to`.
int IndexAfterMove(int selected, int from, int to) {
    if (selected == from) {
        return to;
    }
    if (from < selected && to >= selected) {
        return selected - 1;
    }
    if (from > selected && to <= selected) {
        return selected + 1;
    }
    return selected;
}

}  // namespace

CTabLayoutUI::CTabLayoutUI() = default;

CTabLayoutUI::~CTabLayoutUI() = default;

const wchar_t* CTabLayoutUI::ClassName() const {
    return L"TabLayoutUI";
}

void* CTabLayoutUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"TabLayout") == 0) {
        return static_cast<CTabLayoutUI*>(this);
    }
    return CContainerUI::CastTo(name);
}

// ---- The child list ----

// The state is judged before the container takes the child: a tab layout that is hidden itself
// hides its new children's inner visibility, which must not stop a page from being selected.
bool CTabLayoutUI::Add(CControlUI* control) {
    bool wasVisible = control && control->IsVisible();
    if (!CContainerUI::AddAt(control, Count())) {
        return false;
    }
    AdoptNewChild(control, wasVisible);
    return true;
}

// A child inserted at or before the selected page is hidden as well: only the selected page
// may show.
bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    bool wasVisible = control && control->IsVisible();
    if (!CContainerUI::AddAt(control, index)) {
        return false;
    }
    if (m_selected >= 0 && index <= m_selected) {
        ++m_selected;
        control->SetVisible(false);
        return true;
    }
    AdoptNewChild(control, wasVisible);
    return true;
}

void CTabLayoutUI::AdoptNewChild(CControlUI* control, bool wasVisible) {
    if (m_selected < 0 && wasVisible) {
        m_selected = ItemIndex(control);
    } else {
        control->SetVisible(false);
    }
}

// RemoveAt of the container ends here too, so removing by index keeps the selection as well.
bool CTabLayoutUI::Remove(CControlUI* control) {
    if (!control) {
        return false;
    }
    int index = ItemIndex(control);
    if (!CContainerUI::Remove(control)) {
        return false;
    }
    if (index == m_selected) {
        if (Count() > 0) {
            m_selected = 0;
            ItemAt(0)->SetVisible(true);
        } else {
            m_selected = -1;
        }
        MarkParentDirty();
    } else if (index < m_selected) {
        --m_selected;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_selected = -1;
    CContainerUI::RemoveAll();
    MarkParentDirty();
}

bool CTabLayoutUI::SetItemIndex(CControlUI* control, int index) {
    int from = ItemIndex(control);
    if (!CContainerUI::SetItemIndex(control, index)) {
        return false;
    }
    m_selected = IndexAfterMove(m_selected, from, index);
    return true;
}

// ---- Page selection ----

bool CTabLayoutUI::ShowPageOf(CControlUI* control) {
    int index = ItemIndex(control);
    return index >= 0 && ShowPage(index);
}

bool CTabLayoutUI::ShowPage(int index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    if (index == m_selected) {
        return true;
    }
    int previous = m_selected;
    m_selected = index;
    // Focus moves deliver events and notifications whose listeners may delete this layout.
    CDeletionWatch watch(m_deletionSlot);
    if (SwitchPages(index, watch) && m_host) {
        m_host->SendNotification(this, L"tabselect", static_cast<WPARAM>(index),
                                 static_cast<LPARAM>(previous));
    }
    return true;
}

// Shows the page, hides the others and moves the focus on; false when a listener deleted the
// layout meanwhile.
bool CTabLayoutUI::SwitchPages(int index, const CDeletionWatch& watch) {
    // A layout attached only while its skin is built must not hand out the focus: the tree is
    // not installed, and the host would keep pointing at it if the tree were discarded.
    bool focusable = m_host && IsInHostTree();
    for (int i = 0; i < Count(); ++i) {
        CControlUI* child = ItemAt(i);
        child->SetVisible(i == index);
        if (i == index && !watch.Deleted()) {
            if (focusable) {
                child->SetFocus();
            }
            if (!watch.Deleted()) {
                SetPos(m_rcItem);
            }
        }
        if (watch.Deleted()) {
            return false;
        }
    }
    MarkParentDirty();
    if (focusable) {
        m_host->TabToNext(true);
    }
    return !watch.Deleted();
}

bool CTabLayoutUI::IsInHostTree() const {
    const CControlUI* top = this;
    while (top->ParentControl()) {
        top = top->ParentControl();
    }
    return m_host && m_host->Root() == top;
}

// ---- Placement ----

void CTabLayoutUI::SetPos(RECT rc) {
    CWindowHostUI::LayoutPass pass(m_host);
    CControlUI::SetPos(rc);
    RECT inner = InsetRect();
    for (int i = 0; i < Count(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible()) {
            continue;
        }
        if (child->IsFloat()) {
            PlaceFloatChild(i);
        } else if (i == m_selected) {
            PlaceSelectedPage(child, inner);
        }
    }
}

// The page fills the inner area less its padding, unless it asks for less; it is anchored at
// the top-left corner.
void CTabLayoutUI::PlaceSelectedPage(CControlUI* page, const RECT& inner) {
    RECT pad = page->Padding();
    RECT rc = {inner.left + pad.left, inner.top + pad.top, inner.right - pad.right,
               inner.bottom - pad.bottom};
    SIZE available = {rc.right - rc.left, rc.bottom - rc.top};
    SIZE size = page->MeasureSize(available);
    if (size.cx == 0) {
        size.cx = available.cx > 0 ? available.cx : 0;
    }
    if (size.cy == 0) {
        size.cy = available.cy > 0 ? available.cy : 0;
    }
    size.cx = ClampSize(size.cx, page->MinWidth(), page->MaxWidth());
    size.cy = ClampSize(size.cy, page->MinHeight(), page->MaxHeight());
    page->SetPos(RECT{rc.left, rc.top, rc.left + size.cx, rc.top + size.cy});
}

void CTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"selectedid") == 0) {
        ShowPage(attr::ParseInt(value));
    }
    CContainerUI::SetAttribute(name, value);
}
