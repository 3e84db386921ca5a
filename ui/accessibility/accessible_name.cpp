// The default accessible name: own text, tooltip, or the caption placed before the control.

#include "ui/accessibility/accessible_name.h"

#include <oleacc.h>

#include "ui/accessibility/accessible_tree.h"
#include "ui/controls/container.h"
#include "ui/controls/label.h"
#include "ui/draw/markup_tokenizer.h"

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

// What a marked-up caption reads as: its text runs, without the tags.
CWideString PlainText(const CWideString& markup) {
    CWideString plain;
    bool raw = false;
    for (const wchar_t* p = markup.GetData(); p && *p;) {
        const MarkupToken token = NextMarkupToken(p, raw);
        if (token.kind == MarkupTokenKind::End || token.next == p) {
            break;
        }
        if (token.kind == MarkupTokenKind::Text || token.kind == MarkupTokenKind::Escape) {
            plain.Append(token.text, token.length);
        } else if (token.kind == MarkupTokenKind::Newline) {
            plain += L' ';
        } else if (token.letter == L'r') {
            raw = token.kind == MarkupTokenKind::OpenTag;
        }
        p = token.next;
    }
    return plain;
}

}  // namespace

CWideString CaptionBefore(CControlUI* control) {
    CControlUI* parent = control->ParentControl();
    CContainerUI* container = AsContainer(parent);
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

namespace {

// An editable field's text is what was typed (a password, even), its value and never its name:
// the field is named by what labels it.
CWideString FieldName(CControlUI* control) {
    CWideString name = CaptionBefore(control);
    if (name.IsEmpty()) {
        name = control->ToolTip();
    }
    if (name.IsEmpty()) {
        name = control->Name();
    }
    return name;
}

}  // namespace

CWideString DefaultAccessibleName(CControlUI* control) {
    if (control->AccessibleRole() == ROLE_SYSTEM_TEXT) {
        return FieldName(control);
    }
    CWideString name = control->Text();
    auto* label = static_cast<CLabelUI*>(control->CastTo(L"Label"));
    if (label && label->IsShowHtml()) {
        name = PlainText(name);
    }
    if (name.IsEmpty()) {
        name = control->ToolTip();
    }
    if (name.IsEmpty() && !AsContainer(control)) {
        name = CaptionBefore(control);
    }
    return name;
}
