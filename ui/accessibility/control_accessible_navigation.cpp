// CControlAccessible: where an element sits in the shown tree: parent, children, siblings, the
// element under a point and the focused one.

#include <vector>

#include "ui/accessibility/accessible_bridge.h"
#include "ui/accessibility/accessible_tree.h"
#include "ui/accessibility/control_accessible.h"
#include "ui/controls/control.h"
#include "ui/core/window_host.h"

HRESULT CControlAccessible::ReturnElement(CControlUI* control, VARIANT* out) {
    if (!control) {
        return S_FALSE;
    }
    if (control == Self()) {
        SetLong(out, CHILDID_SELF);
        return S_OK;
    }
    CControlAccessible* object = m_bridge->ObjectFor(control);
    if (!object) {
        return E_OUTOFMEMORY;
    }
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
    return S_OK;
}

HRESULT CControlAccessible::get_accParent(IDispatch** parent) {
    if (!parent) {
        return E_POINTER;
    }
    *parent = nullptr;
    if (!IsConnected()) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (m_kind == Kind::Client) {
        // The window's own object, where the system provides one.
        void* object = nullptr;
        if (SUCCEEDED(AccessibleObjectFromWindow(m_bridge->Window(), OBJID_WINDOW, IID_IDispatch, &object))) {
            *parent = static_cast<IDispatch*>(object);
            return S_OK;
        }
        return S_FALSE;
    }
    CControlUI* root = m_bridge->Root();
    CControlUI* shown = m_kind == Kind::Alert ? root : AccessibleParentOf(m_control, root);
    if (!shown) {
        return S_FALSE;
    }
    *parent = m_bridge->ObjectFor(shown);
    return *parent ? S_OK : E_OUTOFMEMORY;
}

HRESULT CControlAccessible::get_accChildCount(LONG* count) {
    if (!count) {
        return E_POINTER;
    }
    *count = 0;
    if (!IsConnected()) {
        return CO_E_OBJNOTCONNECTED;
    }
    *count = static_cast<LONG>(ShownChildren(Self()).size());
    return S_OK;
}

HRESULT CControlAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsConnected()) {
        return CO_E_OBJNOTCONNECTED;
    }
    *object = Resolve(child);
    return *object ? S_OK : E_INVALIDARG;
}

HRESULT CControlAccessible::Sibling(bool next, VARIANT* end) {
    CControlUI* root = m_bridge->Root();
    CControlUI* self = Self();
    if (m_kind != Kind::Control || !self) {
        return S_FALSE;
    }
    const std::vector<CControlUI*> siblings = ShownChildren(AccessibleParentOf(self, root));
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i] != self) {
            continue;
        }
        if (next ? i + 1 >= siblings.size() : i == 0) {
            return S_FALSE;
        }
        return ReturnElement(siblings[next ? i + 1 : i - 1], end);
    }
    return S_FALSE;
}

// The shown control deepest in the tree under the point; later children lie on top.
HRESULT CControlAccessible::accHitTest(LONG x, LONG y, VARIANT* hit) {
    if (!hit) {
        return E_POINTER;
    }
    VariantInit(hit);
    if (!IsConnected()) {
        return CO_E_OBJNOTCONNECTED;
    }
    POINT point = {x, y};
    ScreenToClient(m_bridge->Window(), &point);
    CControlUI* found = Self();
    if (!found || !PtInRect(&found->Pos(), point)) {
        return S_FALSE;
    }
    for (bool deeper = true; deeper;) {
        deeper = false;
        const std::vector<CControlUI*> children = ShownChildren(found);
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (PtInRect(&(*it)->Pos(), point)) {
                found = *it;
                deeper = true;
                break;
            }
        }
    }
    return ReturnElement(found, hit);
}

HRESULT CControlAccessible::get_accFocus(VARIANT* focus) {
    if (!focus) {
        return E_POINTER;
    }
    VariantInit(focus);
    if (!IsConnected()) {
        return CO_E_OBJNOTCONNECTED;
    }
    CControlUI* root = m_bridge->Root();
    CControlUI* self = Self();
    CControlUI* focused = m_bridge->Host()->FocusedControl();
    if (!focused && m_kind == Kind::Client && GetFocus() == m_bridge->Window()) {
        focused = self;
    }
    // Only a focus inside this element is reported.
    for (CControlUI* up = focused; up; up = AccessibleParentOf(up, root)) {
        if (up == self) {
            return ReturnElement(NearestShown(focused, root), focus);
        }
    }
    return S_FALSE;
}

HRESULT CControlAccessible::get_accSelection(VARIANT* selection) {
    if (!selection) {
        return E_POINTER;
    }
    VariantInit(selection);
    return m_bridge ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}
