// The default accessible name: own text, tooltip, or the caption placed before the control.

#include "ui/accessibility/accessible_name.h"

#include <oleacc.h>

#include "ui/controls/container.h"

namespace {

bool EndsWithColon(const CWideString& text) {
    const wchar_t last = text.IsEmpty() ? L'\0' : text[text.GetLength() - 1];
    return last == L':' || last == L'\xFF1A';
}

// A visible static text with something in it.
bool IsCaptionCandidate(CControlUI* control) {
    return control && control->IsVisible() && control->AccessibleRole() == ROLE_SYSTEM_STATICTEXT &&
           !control->Text().IsEmpty();
}

}  // namespace

CWideString CaptionBefore(CControlUI* control) {
    CControlUI* parent = control->ParentControl();
    auto* container = parent ? static_cast<CContainerUI*>(parent->CastTo(L"Container")) : nullptr;
    const int index = container ? container->ItemIndex(control) : -1;
    CControlUI* nearest = nullptr;
    for (int i = index - 1; i >= 0; --i) {
        CControlUI* sibling = container->ItemAt(i);
        if (!IsCaptionCandidate(sibling)) {
            break;
        }
        if (EndsWithColon(sibling->Text())) {
            return sibling->Text();
        }
        if (!nearest) {
            nearest = sibling;
        }
    }
    return nearest ? nearest->Text() : CWideString();
}

CWideString DefaultAccessibleName(CControlUI* control) {
    CWideString name = control->Text();
    if (name.IsEmpty()) {
        name = control->ToolTip();
    }
    if (name.IsEmpty() && !control->CastTo(L"Container")) {
        name = CaptionBefore(control);
    }
    return name;
}
