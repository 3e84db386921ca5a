// The control base's accessibility defaults. One table, keyed by the interface names CastTo
// knows, says for each class of the framework what it is to a screen reader; the painting and
// input code of the controls stays unaware of it. The first row whose interface the control
// has answers, so subclasses come before their bases.

#include <oleacc.h>

#include "ui/accessibility/accessible_name.h"
#include "ui/accessibility/accessible_tree.h"
#include "ui/controls/control.h"
#include "ui/controls/edit.h"
#include "ui/controls/option.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/slider.h"
#include "ui/core/window_host.h"

namespace {

// What one class adds: its role, state bits, value and default action. Null functions add
// nothing.
struct AccessibleTraits {
    const wchar_t* interfaceName;
    DWORD (*role)(CControlUI* control);
    DWORD (*state)(CControlUI* control);
    CWideString (*value)(CControlUI* control);
    const wchar_t* (*action)(CControlUI* control);
};

CButtonUI* AsButton(CControlUI* control) {
    return static_cast<CButtonUI*>(control->CastTo(L"Button"));
}

// A button bound to a tab layout picks a page: it is one of the page tabs.
bool IsPageTab(CControlUI* control) {
    CButtonUI* button = AsButton(control);
    return button && *button->BoundTabLayoutName() != L'\0' && button->BoundTabIndex() >= 0;
}

DWORD ButtonRole(CControlUI* control) {
    return IsPageTab(control) ? ROLE_SYSTEM_PAGETAB : ROLE_SYSTEM_PUSHBUTTON;
}

DWORD OptionRole(CControlUI* control) {
    if (IsPageTab(control)) {
        return ROLE_SYSTEM_PAGETAB;
    }
    auto* option = static_cast<COptionUI*>(control->CastTo(L"Option"));
    return *option->GroupName() != L'\0' ? ROLE_SYSTEM_RADIOBUTTON : ROLE_SYSTEM_CHECKBUTTON;
}

DWORD ButtonState(CControlUI* control) {
    const UINT state = AsButton(control)->ButtonState();
    DWORD bits = 0;
    bits |= (state & ButtonHot) ? STATE_SYSTEM_HOTTRACKED : 0;
    bits |= (state & ButtonPushed) ? STATE_SYSTEM_PRESSED : 0;
    return bits;
}

DWORD OptionState(CControlUI* control) {
    auto* option = static_cast<COptionUI*>(control->CastTo(L"Option"));
    DWORD bits = ButtonState(control);
    if (option->IsChecked()) {
        bits |= IsPageTab(control) ? STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED : STATE_SYSTEM_CHECKED;
    }
    return bits;
}

DWORD EditState(CControlUI* control) {
    auto* edit = static_cast<CEditUI*>(control->CastTo(L"Edit"));
    DWORD bits = edit->IsEnabled() ? STATE_SYSTEM_FOCUSABLE : 0;
    bits |= edit->IsReadOnly() ? STATE_SYSTEM_READONLY : 0;
    bits |= edit->IsPassword() ? STATE_SYSTEM_PROTECTED : 0;
    bits |= (edit->EditState() & EditHot) ? STATE_SYSTEM_HOTTRACKED : 0;
    return bits;
}

DWORD SliderState(CControlUI* control) {
    auto* slider = static_cast<CSliderUI*>(control->CastTo(L"Slider"));
    return (slider->SliderState() & SliderHot) ? STATE_SYSTEM_HOTTRACKED : 0;
}

DWORD ReadOnlyState(CControlUI*) {
    return STATE_SYSTEM_READONLY;
}

CWideString Number(int value) {
    CWideString text;
    text.Format(L"%d", value);
    return text;
}

// The share of the range filled, as the update window shows it beside its bar ("42%").
CWideString ProgressValue(CControlUI* control) {
    auto* bar = static_cast<CProgressUI*>(control->CastTo(L"Progress"));
    const long long span = static_cast<long long>(bar->Maximum()) - bar->Minimum();
    const long long done = static_cast<long long>(bar->Value()) - bar->Minimum();
    CWideString text;
    text.Format(L"%d%%", span > 0 ? static_cast<int>(done * 100 / span) : 0);
    return text;
}

CWideString SliderValue(CControlUI* control) {
    return Number(static_cast<CSliderUI*>(control->CastTo(L"Slider"))->Value());
}

CWideString ScrollValue(CControlUI* control) {
    return Number(static_cast<CScrollBarUI*>(control->CastTo(L"ScrollBar"))->ScrollPos());
}

// A password is never read out.
CWideString EditValue(CControlUI* control) {
    auto* edit = static_cast<CEditUI*>(control->CastTo(L"Edit"));
    return edit->IsPassword() ? CWideString() : edit->Text();
}

const wchar_t* PressAction(CControlUI* control) {
    return IsPageTab(control) ? L"Switch" : L"Press";
}

const wchar_t* OptionAction(CControlUI* control) {
    if (IsPageTab(control)) {
        return L"Switch";
    }
    auto* option = static_cast<COptionUI*>(control->CastTo(L"Option"));
    return option->IsChecked() && *option->GroupName() == L'\0' ? L"Uncheck" : L"Check";
}

template <DWORD kRole>
DWORD Fixed(CControlUI*) {
    return kRole;
}

const AccessibleTraits kTraits[] = {
    {L"Edit", Fixed<ROLE_SYSTEM_TEXT>, EditState, EditValue, nullptr},
    {L"Slider", Fixed<ROLE_SYSTEM_SLIDER>, SliderState, SliderValue, nullptr},
    {L"Progress", Fixed<ROLE_SYSTEM_PROGRESSBAR>, ReadOnlyState, ProgressValue, nullptr},
    {L"Option", OptionRole, OptionState, nullptr, OptionAction},
    {L"Button", ButtonRole, ButtonState, nullptr, PressAction},
    {L"Label", Fixed<ROLE_SYSTEM_STATICTEXT>, ReadOnlyState, nullptr, nullptr},
    {L"GifAnim", Fixed<ROLE_SYSTEM_ANIMATION>, ReadOnlyState, nullptr, nullptr},
    {L"ScrollBar", Fixed<ROLE_SYSTEM_SCROLLBAR>, nullptr, ScrollValue, nullptr},
    {L"TabLayout", Fixed<ROLE_SYSTEM_PAGETABLIST>, nullptr, nullptr, nullptr},
    {L"Container", Fixed<ROLE_SYSTEM_GROUPING>, nullptr, nullptr, nullptr},
    {L"ChildLayout", Fixed<ROLE_SYSTEM_GROUPING>, nullptr, nullptr, nullptr},
};

const AccessibleTraits* TraitsOf(CControlUI* control) {
    for (const AccessibleTraits& row : kTraits) {
        if (control->CastTo(row.interfaceName)) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

DWORD CControlUI::AccessibleRole() {
    const AccessibleTraits* traits = TraitsOf(this);
    return traits ? traits->role(this) : ROLE_SYSTEM_CLIENT;
}

CWideString CControlUI::AccessibleName() {
    return DefaultAccessibleName(this);
}

DWORD CControlUI::AccessibleState() {
    DWORD bits = 0;
    if (!IsVisible()) {
        bits |= STATE_SYSTEM_INVISIBLE;
    } else if (IsScrolledOutOfView(this)) {
        bits |= STATE_SYSTEM_OFFSCREEN;
    }
    if (!IsEnabled()) {
        bits |= STATE_SYSTEM_UNAVAILABLE;
    } else if (ControlFlags() & ControlFlagTabStop) {
        bits |= STATE_SYSTEM_FOCUSABLE;
    }
    if (m_host && m_host->FocusedControl() == this) {
        bits |= STATE_SYSTEM_FOCUSED;
    }
    const AccessibleTraits* traits = TraitsOf(this);
    return traits && traits->state ? bits | traits->state(this) : bits;
}

CWideString CControlUI::AccessibleValue() {
    const AccessibleTraits* traits = TraitsOf(this);
    return traits && traits->value ? traits->value(this) : CWideString();
}

CWideString CControlUI::AccessibleDefaultAction() {
    const AccessibleTraits* traits = TraitsOf(this);
    return traits && traits->action ? CWideString(traits->action(this)) : CWideString();
}

// The action a click on the control would take, through Activate: a button is clicked, an
// option toggled or checked, a page tab selects its page.
bool CControlUI::DoAccessibleDefaultAction() {
    return !AccessibleDefaultAction().IsEmpty() && Activate();
}

void CControlUI::NotifyAccessible(DWORD event) {
    if (m_host) {
        m_host->Accessibility().Raise(this, event);
    }
}
