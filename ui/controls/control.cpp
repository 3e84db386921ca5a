#include "ui/controls/control.h"

#include <cwchar>

#include "ui/core/window_host.h"

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_deletionSlot) {
        *m_deletionSlot = true;
    }
    if (m_extras) {
        m_extras->destroyListeners.Run(this);
    }
    if (m_host) {
        m_host->ForgetControl(this);
    }
    delete m_extras;
    delete m_skinLengths;
}

const ControlExtras& CControlUI::ReadExtras() const {
    static const ControlExtras kEmpty;
    return m_extras ? *m_extras : kEmpty;
}

ControlExtras& CControlUI::Extras() {
    if (!m_extras) {
        m_extras = new ControlExtras;
    }
    return *m_extras;
}

void CControlUI::StoreText(CWideString ControlExtras::*field, const wchar_t* value) {
    if (!value) {
        value = L"";
    }
    if (!m_extras && *value == L'\0') {
        return;
    }
    Extras().*field = value;
}

CWideString CControlUI::Name() const {
    return ReadExtras().name;
}

void CControlUI::SetName(const wchar_t* name) {
    if (!m_host) {
        StoreText(&ControlExtras::name, name);
        return;
    }
    CWideString previous = ReadExtras().name;
    StoreText(&ControlExtras::name, name);
    m_host->RenameControl(this, previous);
}

const wchar_t* CControlUI::ClassName() const {
    return L"ControlUI";
}

void* CControlUI::CastTo(const wchar_t* name) {
    return (name && wcscmp(name, L"Control") == 0) ? this : nullptr;
}

UINT CControlUI::ControlFlags() const {
    return 0;
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

CWindowHostUI* CControlUI::Host() const {
    return m_host;
}

void CControlUI::AttachHost(CWindowHostUI* host, CControlUI* parent, bool initialize) {
    m_host = host;
    m_parent = parent;
    if (initialize && m_parent) {
        Initialize();
    }
}

CControlUI* CControlUI::ParentControl() const {
    return m_parent;
}

CWideString CControlUI::Text() const {
    return ReadExtras().text;
}

void CControlUI::SetText(const wchar_t* text) {
    if (ReadExtras().text == (text ? text : L"")) {
        return;
    }
    StoreText(&ControlExtras::text, text);
    Invalidate();
    NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
}

CWideString CControlUI::ToolTip() const {
    return ReadExtras().toolTip;
}

void CControlUI::SetToolTip(const wchar_t* text) {
    CWideString tip(text ? text : L"");
    tip.Replace(L"<n>", L"\r\n");
    StoreText(&ControlExtras::toolTip, tip);
}

void CControlUI::SetToolTipWidth(int cx) {
    if (cx != ReadExtras().toolTipWidth) {
        Extras().toolTipWidth = cx;
    }
}

int CControlUI::ToolTipWidth() const {
    return ReadExtras().toolTipWidth;
}

wchar_t CControlUI::Shortcut() const {
    return ReadExtras().shortcut;
}

void CControlUI::SetShortcut(wchar_t ch) {
    if (ch != ReadExtras().shortcut) {
        Extras().shortcut = ch;
    }
}

bool CControlUI::IsMenuEnabled() const {
    return m_menuEnabled;
}

void CControlUI::SetMenuEnabled(bool on) {
    m_menuEnabled = on;
}

CWideString CControlUI::UserData() const {
    return ReadExtras().userData;
}

void CControlUI::SetUserData(const wchar_t* text) {
    StoreText(&ControlExtras::userData, text);
}

UINT_PTR CControlUI::UserTag() const {
    return ReadExtras().userTag;
}

void CControlUI::SetUserTag(UINT_PTR value) {
    if (value != ReadExtras().userTag) {
        Extras().userTag = value;
    }
}

bool CControlUI::IsVisible() const {
    return m_visible && m_innerVisible;
}

void CControlUI::SetVisible(bool on) {
    if (m_visible == on) {
        return;
    }
    bool wasVisible = IsVisible();
    m_visible = on;
    m_focused = false;
    if (!on && m_host && m_host->FocusedControl() == this) {
        m_host->SetFocusControl(nullptr);
    }
    if (IsVisible() != wasVisible) {
        MarkParentDirty();
        NotifyAccessible(wasVisible ? EVENT_OBJECT_HIDE : EVENT_OBJECT_SHOW);
    }
}

void CControlUI::SetInnerVisible(bool on) {
    m_innerVisible = on;
    if (!on && m_host && m_host->FocusedControl() == this) {
        m_host->SetFocusControl(nullptr);
    }
}

bool CControlUI::IsEnabled() const {
    return m_enabled;
}

void CControlUI::SetEnabled(bool on) {
    if (m_enabled == on) {
        return;
    }
    m_enabled = on;
    Invalidate();
    NotifyAccessible(EVENT_OBJECT_STATECHANGE);
}

bool CControlUI::IsMouseEnabled() const {
    return m_mouseEnabled;
}

void CControlUI::SetMouseEnabled(bool on) {
    m_mouseEnabled = on;
}

bool CControlUI::IsKeyboardEnabled() const {
    return m_keyboardEnabled;
}

void CControlUI::SetKeyboardEnabled(bool on) {
    m_keyboardEnabled = on;
}

bool CControlUI::IsFocused() const {
    return m_focused;
}

void CControlUI::SetFocus() {
    if (m_host) {
        m_host->SetFocusControl(this);
    }
}

CControlUI* CControlUI::FindControl(FindControlProc visitor, void* data, UINT flags) {
    if ((flags & FindVisible) && !IsVisible()) {
        return nullptr;
    }
    if ((flags & FindEnabled) && !IsEnabled()) {
        return nullptr;
    }
    if ((flags & FindHitTest) &&
        (!IsMouseEnabled() || !PtInRect(&m_rcItem, *static_cast<const POINT*>(data)))) {
        return nullptr;
    }
    return visitor(this, data);
}

void CControlUI::Initialize() {
    OnInitialize();
    if (m_extras) {
        m_extras->initListeners.Run(this);
    }
}

void CControlUI::OnInitialize() {}

void CControlUI::DispatchEvent(UIEvent& event) {
    if (!m_extras || m_extras->eventListeners.Run(&event)) {
        HandleEvent(event);
    }
}

bool CControlUI::RunNotifyListeners(NotifyMsg& msg) {
    return !m_extras || m_extras->notifyListeners.Run(&msg);
}

void CControlUI::HandleEvent(UIEvent& event) {
    switch (event.type) {
        case EventContextMenu:
            if (m_menuEnabled) {
                if (m_host) {
                    m_host->SendNotification(this, L"menu", event.wParam, event.lParam);
                }
                return;
            }
            break;
        case EventFocusLost:
            m_focused = false;
            Invalidate();
            return;
        case EventFocusGained:
            m_focused = true;
            Invalidate();
            return;
        case EventSetCursor: ::SetCursor(LoadCursorW(nullptr, IDC_ARROW)); return;
        case EventTimer:
            if (m_host) {
                m_host->SendNotification(this, L"timer", event.wParam, event.lParam);
            }
            return;
        default: break;
    }
    if (m_parent) {
        m_parent->HandleEvent(event);
    }
}

SIZE CControlUI::MeasureSize(SIZE /*available*/) {
    return SIZE{m_fixedWidth, m_fixedHeight};
}

void CControlUI::SetVirtualWindowName(const wchar_t* name) {
    StoreText(&ControlExtras::virtualWindowName, name);
    if (m_host) {
        m_host->SetUsesVirtualWindows();
    }
}

CWideString CControlUI::VirtualWindowName() const {
    const CWideString& own = ReadExtras().virtualWindowName;
    if (!own.IsEmpty()) {
        return own;
    }
    return m_parent ? m_parent->VirtualWindowName() : CWideString();
}
