#pragma once
// CControlAccessible: the IAccessible of one element of a skinned window: the client area (whose
// control is the tree's root), a control, or the alert the window raised. It asks the control
// for role, name, state, value and default action, and the shown tree (accessible_tree.h) for
// its children and parent. Child ids 1..n are the element's shown children in their current
// order; negative ids are the window-wide ids its bridge gives controls for their events. Once
// its control dies or its bridge ends, every call answers CO_E_OBJNOTCONNECTED.

#include <windows.h>

#include <oleacc.h>

#include <vector>

class CAccessibleBridge;
class CControlUI;

class CControlAccessible final : public IAccessible {
public:
    enum class Kind { Client, Control, Alert };

    // A new object with one reference, or null when memory runs out.
    static CControlAccessible* Create(CAccessibleBridge* bridge, Kind kind, CControlUI* control);
    void Disconnect();

    // ---- IUnknown, IDispatch ----
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    // ---- IAccessible ----
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    CControlAccessible(CAccessibleBridge* bridge, Kind kind, CControlUI* control)
        : m_bridge(bridge), m_kind(kind), m_control(control) {}
    ~CControlAccessible() = default;

    static void SetLong(VARIANT* out, LONG value);
    static std::vector<CControlUI*> ShownChildren(CControlUI* control);
    // False once the control died or the bridge ended.
    bool IsConnected() const;
    // The control this object describes (the current root for the client area), or null.
    CControlUI* Self() const;
    // The object a child id names, as a new reference: this object for CHILDID_SELF.
    CControlAccessible* Resolve(const VARIANT& child) const;
    // Runs `call` on the object that `child` names.
    template <typename Call>
    HRESULT OnTarget(const VARIANT& child, Call call);
    // Fills `out` with the object of `control` (this object: CHILDID_SELF); VT_EMPTY for null.
    HRESULT ReturnElement(CControlUI* control, VARIANT* out);
    HRESULT Name(BSTR* name);
    DWORD Role();
    DWORD State();
    HRESULT Location(LONG* left, LONG* top, LONG* width, LONG* height);
    HRESULT Sibling(bool next, VARIANT* end);
    HRESULT DefaultActionName(BSTR* action);
    HRESULT DoDefaultAction();
    HRESULT Shortcut(BSTR* shortcut);
    HRESULT Select(LONG flags);

    LONG m_references = 1;
    CAccessibleBridge* m_bridge;
    Kind m_kind;
    CControlUI* m_control;
};
