// Child ownership, state propagation and attributes of the container base.

#include "ui/controls/container.h"

#include <cwchar>

#include "ui/util/attribute_parse.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window_host.h"

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children die with their container at once: the container is going away, so nothing can
    // still be running inside them.
    m_delayedDestroy = false;
    RemoveAll();
    DestroyScrollBar(m_verticalBar);
    DestroyScrollBar(m_horizontalBar);
}

const wchar_t* CContainerUI::ClassName() const {
    return L"ContainerUI";
}

void* CContainerUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"IContainer") == 0) {
        return static_cast<IContainerUI*>(this);
    }
    if (name && wcscmp(name, L"Container") == 0) {
        return this;
    }
    return CControlUI::CastTo(name);
}

CControlUI* CContainerUI::ItemAt(int index) const {
    return static_cast<CControlUI*>(m_items.GetAt(index));
}

int CContainerUI::ItemIndex(CControlUI* control) const {
    return m_items.Find(control);
}

// The target index is checked before the child leaves the list: a failed insertion would
// otherwise drop the child from its container while it stays attached to it.
bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    int current = m_items.Find(control);
    if (current < 0 || index < 0 || index >= m_items.GetSize()) {
        return false;
    }
    if (IsVisible()) {
        MarkDirty();
    }
    m_items.Remove(current);
    return m_items.InsertAt(index, control);
}

int CContainerUI::Count() const {
    return m_items.GetSize();
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, m_items.GetSize());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control) {
        return false;
    }
    if (m_host) {
        control->AttachHost(m_host, this, true);
        m_host->RegisterNames(control);
    }
    if (index < 0 || index > m_items.GetSize()) {
        return false;
    }
    if (!IsVisible()) {
        control->SetInnerVisible(false);
    } else {
        MarkDirty();
    }
    return m_items.InsertAt(index, control);
}

bool CContainerUI::Remove(CControlUI* control) {
    int index = control ? m_items.Find(control) : -1;
    if (index < 0) {
        return false;
    }
    if (IsVisible()) {
        MarkDirty();
    }
    // The child leaves the list before it is destroyed, so nothing its destroy listeners do
    // can reach it through this container.
    m_items.Remove(index);
    if (m_autoDestroy) {
        DestroyChild(control);
    }
    return true;
}

bool CContainerUI::RemoveAt(int index) {
    CControlUI* control = ItemAt(index);
    return control ? Remove(control) : false;
}

void CContainerUI::RemoveAll() {
    PointerArray children(m_items);
    m_items.Empty();
    if (m_autoDestroy) {
        for (int i = 0; i < children.GetSize(); ++i) {
            DestroyChild(static_cast<CControlUI*>(children.GetAt(i)));
        }
    }
    if (IsVisible()) {
        MarkDirty();
    }
}

// A child removed from inside one of its own event handlers must outlive that handler, so by
// default the host deletes it later from its message queue.
void CContainerUI::DestroyChild(CControlUI* child) {
    if (m_delayedDestroy && m_host) {
        m_host->DeferDelete(child);
    } else {
        delete child;
    }
}

void CContainerUI::AttachHost(CWindowHostUI* host, CControlUI* parent, bool initialize) {
    for (int i = 0; i < m_items.GetSize(); ++i) {
        ItemAt(i)->AttachHost(host, this, initialize);
    }
    if (m_verticalBar) {
        m_verticalBar->AttachHost(host, this, initialize);
    }
    if (m_horizontalBar) {
        m_horizontalBar->AttachHost(host, this, initialize);
    }
    CControlUI::AttachHost(host, parent, initialize);
}

void CContainerUI::SetVisible(bool on) {
    if (m_visible == on) {
        return;
    }
    CControlUI::SetVisible(on);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        ItemAt(i)->SetInnerVisible(IsVisible());
    }
}

void CContainerUI::SetInnerVisible(bool on) {
    CControlUI::SetInnerVisible(on);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        ItemAt(i)->SetInnerVisible(IsVisible());
    }
}

void CContainerUI::SetEnabled(bool on) {
    if (m_enabled == on) {
        return;
    }
    m_enabled = on;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        ItemAt(i)->SetEnabled(on);
    }
    Invalidate();
}

void CContainerUI::SetMouseEnabled(bool on) {
    if (m_verticalBar) {
        m_verticalBar->SetMouseEnabled(on);
    }
    if (m_horizontalBar) {
        m_horizontalBar->SetMouseEnabled(on);
    }
    CControlUI::SetMouseEnabled(on);
}

void CContainerUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"inset") == 0) {
        SetInset(attr::ParseRect(value));
    } else if (wcscmp(name, L"mousechild") == 0) {
        SetMouseChildEnabled(attr::ParseBool(value));
    } else if (wcscmp(name, L"vscrollbar") == 0) {
        EnableScrollBar(attr::ParseBool(value), m_horizontalBar != nullptr);
    } else if (wcscmp(name, L"vscrollbarstyle") == 0) {
        EnableScrollBar(true, m_horizontalBar != nullptr);
        m_verticalBar->ApplyAttributeText(value);
    } else if (wcscmp(name, L"hscrollbar") == 0) {
        EnableScrollBar(m_verticalBar != nullptr, attr::ParseBool(value));
    } else if (wcscmp(name, L"hscrollbarstyle") == 0) {
        EnableScrollBar(m_verticalBar != nullptr, true);
        m_horizontalBar->ApplyAttributeText(value);
    } else if (wcscmp(name, L"childpadding") == 0) {
        SetChildPadding(attr::ParseInt(value));
    } else if (wcscmp(name, L"scrollstepsize") == 0) {
        SetScrollStepSize(attr::ParseInt(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

RECT CContainerUI::Inset() const {
    return m_inset;
}

void CContainerUI::SetInset(RECT rc) {
    m_inset = rc;
    if (IsVisible()) {
        MarkDirty();
    }
}

int CContainerUI::ChildPadding() const {
    return m_childPadding;
}

void CContainerUI::SetChildPadding(int padding) {
    m_childPadding = padding;
    if (IsVisible()) {
        MarkDirty();
    }
}

bool CContainerUI::IsAutoDestroy() const {
    return m_autoDestroy;
}

void CContainerUI::SetAutoDestroy(bool on) {
    m_autoDestroy = on;
}

bool CContainerUI::IsDelayedDestroy() const {
    return m_delayedDestroy;
}

void CContainerUI::SetDelayedDestroy(bool on) {
    m_delayedDestroy = on;
}

bool CContainerUI::IsMouseChildEnabled() const {
    return m_mouseChildEnabled;
}

void CContainerUI::SetMouseChildEnabled(bool on) {
    m_mouseChildEnabled = on;
}

int CContainerUI::FindSelectableItem(int index, bool forward) const {
    int count = m_items.GetSize();
    if (count == 0) {
        return -1;
    }
    index = index < 0 ? 0 : (index >= count ? count - 1 : index);
    auto selectable = [this](int i) {
        CControlUI* child = ItemAt(i);
        return child->CastTo(L"ListItem") && child->IsVisible() && child->IsEnabled();
    };
    if (!forward) {
        for (int i = index; i >= 0; --i) {
            if (selectable(i)) {
                return i;
            }
        }
        return FindSelectableItem(0, true);
    }
    for (int i = index; i < count; ++i) {
        if (selectable(i)) {
            return i;
        }
    }
    return -1;
}
