// CControlAccessible: identity, child ids, properties and actions of an element (its place in
// the tree: control_accessible_navigation.cpp).

#include "ui/accessibility/control_accessible.h"

#include <new>
#include <vector>

#include "ui/accessibility/accessible_bridge.h"
#include "ui/accessibility/accessible_tree.h"
#include "ui/controls/control.h"
#include "ui/core/window_host.h"

namespace {

// A text for the client: S_FALSE and null when there is none, as Active Accessibility expects.
HRESULT ReturnText(const CWideString& text, BSTR* out) {
    if (text.IsEmpty()) {
        return S_FALSE;
    }
    *out = SysAllocString(text.GetData());
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

CWideString WindowText(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return CWideString(text);
}

}  // namespace

CControlAccessible* CControlAccessible::Create(CAccessibleBridge* bridge, Kind kind, CControlUI* control) {
    return new (std::nothrow) CControlAccessible(bridge, kind, control);
}

void CControlAccessible::Disconnect() {
    m_bridge = nullptr;
    m_control = nullptr;
}

void CControlAccessible::SetLong(VARIANT* out, LONG value) {
    out->vt = VT_I4;
    out->lVal = value;
}

std::vector<CControlUI*> CControlAccessible::ShownChildren(CControlUI* control) {
    std::vector<CControlUI*> children;
    if (control) {
        CollectAccessibleChildren(control, children);
    }
    return children;
}

bool CControlAccessible::IsConnected() const {
    return m_bridge && (m_kind != Kind::Control || m_control);
}

CControlUI* CControlAccessible::Self() const {
    if (!m_bridge) {
        return nullptr;
    }
    return m_kind == Kind::Client ? m_bridge->Root() : m_control;
}

// ---- IUnknown, IDispatch ----

HRESULT CControlAccessible::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CControlAccessible::AddRef() {
    return static_cast<ULONG>(++m_references);
}

ULONG CControlAccessible::Release() {
    const LONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

// Clients reach the object through its interface, never by name: no type information.
HRESULT CControlAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT CControlAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CControlAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT CControlAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// ---- Child ids ----

CControlAccessible* CControlAccessible::Resolve(const VARIANT& child) const {
    if (!m_bridge || child.vt != VT_I4) {
        return nullptr;
    }
    const LONG id = child.lVal;
    if (id == CHILDID_SELF) {
        const_cast<CControlAccessible*>(this)->AddRef();
        return const_cast<CControlAccessible*>(this);
    }
    if (id == CAccessibleBridge::kAlertChildId) {
        return m_bridge->AlertObject();
    }
    if (id < 0) {
        CControlUI* control = m_bridge->ControlOfChildId(id);
        return control ? m_bridge->ObjectFor(control) : nullptr;
    }
    const std::vector<CControlUI*> children = ShownChildren(Self());
    return id <= static_cast<LONG>(children.size()) ? m_bridge->ObjectFor(children[id - 1]) : nullptr;
}

template <typename Call>
HRESULT CControlAccessible::OnTarget(const VARIANT& child, Call call) {
    if (!IsConnected()) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (IsSelf(child)) {
        return call(*this);
    }
    CControlAccessible* target = Resolve(child);
    if (!target) {
        return E_INVALIDARG;
    }
    const HRESULT result = call(*target);
    target->Release();
    return result;
}

HRESULT CControlAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    if (!end) {
        return E_POINTER;
    }
    VariantInit(end);
    return OnTarget(start, [&](CControlAccessible& target) -> HRESULT {
        if (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) {
            return target.Sibling(direction == NAVDIR_NEXT, end);
        }
        if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
            return DISP_E_MEMBERNOTFOUND;
        }
        const std::vector<CControlUI*> children = ShownChildren(target.Self());
        if (children.empty()) {
            return S_FALSE;
        }
        return target.ReturnElement(direction == NAVDIR_FIRSTCHILD ? children.front() : children.back(), end);
    });
}

// ---- Properties ----

HRESULT CControlAccessible::Name(BSTR* name) {
    if (m_kind == Kind::Alert) {
        return ReturnText(m_bridge->AlertText(), name);
    }
    CWideString text = Self() ? Self()->AccessibleName() : CWideString();
    if (text.IsEmpty() && m_kind == Kind::Client) {
        text = WindowText(m_bridge->Window());
    }
    return ReturnText(text, name);
}

DWORD CControlAccessible::Role() {
    switch (m_kind) {
        case Kind::Client: return ROLE_SYSTEM_CLIENT;
        case Kind::Alert: return ROLE_SYSTEM_ALERT;
        default: return m_control->AccessibleRole();
    }
}

DWORD CControlAccessible::State() {
    if (m_kind == Kind::Alert) {
        return STATE_SYSTEM_ALERT_HIGH | STATE_SYSTEM_READONLY;
    }
    if (m_kind == Kind::Control) {
        return m_control->AccessibleState();
    }
    HWND window = m_bridge->Window();
    DWORD bits = STATE_SYSTEM_FOCUSABLE;
    bits |= IsWindowVisible(window) ? 0 : STATE_SYSTEM_INVISIBLE;
    bits |= GetFocus() == window ? STATE_SYSTEM_FOCUSED : 0;
    return bits;
}

HRESULT CControlAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!name) {
        return E_POINTER;
    }
    *name = nullptr;
    return OnTarget(child, [&](CControlAccessible& target) { return target.Name(name); });
}

HRESULT CControlAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!value) {
        return E_POINTER;
    }
    *value = nullptr;
    return OnTarget(child, [&](CControlAccessible& target) -> HRESULT {
        CControlUI* control = target.m_kind == Kind::Control ? target.Self() : nullptr;
        return control ? ReturnText(control->AccessibleValue(), value) : S_FALSE;
    });
}

HRESULT CControlAccessible::get_accDescription(VARIANT child, BSTR* description) {
    if (!description) {
        return E_POINTER;
    }
    *description = nullptr;
    return OnTarget(child, [](CControlAccessible&) { return S_FALSE; });
}

HRESULT CControlAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) {
        return E_POINTER;
    }
    VariantInit(role);
    return OnTarget(child, [&](CControlAccessible& target) {
        SetLong(role, static_cast<LONG>(target.Role()));
        return S_OK;
    });
}

HRESULT CControlAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) {
        return E_POINTER;
    }
    VariantInit(state);
    return OnTarget(child, [&](CControlAccessible& target) {
        SetLong(state, static_cast<LONG>(target.State()));
        return S_OK;
    });
}

HRESULT CControlAccessible::get_accHelp(VARIANT child, BSTR* help) {
    if (!help) {
        return E_POINTER;
    }
    *help = nullptr;
    return OnTarget(child, [](CControlAccessible&) { return S_FALSE; });
}

HRESULT CControlAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
    if (!file || !topic) {
        return E_POINTER;
    }
    *file = nullptr;
    *topic = 0;
    return OnTarget(child, [](CControlAccessible&) { return S_FALSE; });
}

HRESULT CControlAccessible::Shortcut(BSTR* shortcut) {
    const wchar_t key = m_kind == Kind::Control ? m_control->Shortcut() : L'\0';
    if (key == L'\0') {
        return S_FALSE;
    }
    CWideString text(L"Alt+");
    text += static_cast<wchar_t>(towupper(key));
    return ReturnText(text, shortcut);
}

HRESULT CControlAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (!shortcut) {
        return E_POINTER;
    }
    *shortcut = nullptr;
    return OnTarget(child, [&](CControlAccessible& target) { return target.Shortcut(shortcut); });
}

HRESULT CControlAccessible::Location(LONG* left, LONG* top, LONG* width, LONG* height) {
    RECT rc = {0, 0, 0, 0};
    HWND window = m_bridge->Window();
    if (m_kind == Kind::Control) {
        rc = m_control->Pos();
    } else {
        GetClientRect(window, &rc);
    }
    POINT origin = {rc.left, rc.top};
    ClientToScreen(window, &origin);
    *left = origin.x;
    *top = origin.y;
    *width = rc.right - rc.left;
    *height = rc.bottom - rc.top;
    return S_OK;
}

HRESULT CControlAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
    if (!left || !top || !width || !height) {
        return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    return OnTarget(child, [&](CControlAccessible& target) { return target.Location(left, top, width, height); });
}

// ---- Actions ----

HRESULT CControlAccessible::DefaultActionName(BSTR* action) {
    return m_kind == Kind::Control ? ReturnText(m_control->AccessibleDefaultAction(), action) : S_FALSE;
}

HRESULT CControlAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) {
        return E_POINTER;
    }
    *action = nullptr;
    return OnTarget(child, [&](CControlAccessible& target) { return target.DefaultActionName(action); });
}

// The action runs after this call has returned (a click may open a dialog or close the window).
HRESULT CControlAccessible::DoDefaultAction() {
    if (m_kind != Kind::Control || m_control->AccessibleDefaultAction().IsEmpty()) {
        return DISP_E_MEMBERNOTFOUND;
    }
    return m_bridge->QueueDefaultAction(m_control) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CControlAccessible::accDoDefaultAction(VARIANT child) {
    return OnTarget(child, [](CControlAccessible& target) { return target.DoDefaultAction(); });
}

HRESULT CControlAccessible::Select(LONG flags) {
    if (flags != SELFLAG_TAKEFOCUS || m_kind != Kind::Control) {
        return DISP_E_MEMBERNOTFOUND;
    }
    m_control->SetFocus();
    return S_OK;
}

HRESULT CControlAccessible::accSelect(LONG flags, VARIANT child) {
    return OnTarget(child, [&](CControlAccessible& target) { return target.Select(flags); });
}

HRESULT CControlAccessible::put_accName(VARIANT, BSTR) {
    return m_bridge ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}

HRESULT CControlAccessible::put_accValue(VARIANT, BSTR) {
    return m_bridge ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}
