// The tree a screen reader walks: which controls are shown and how they nest.

#include "ui/accessibility/accessible_tree.h"

#include <oleacc.h>

#include <new>

#include "ui/controls/child_layout.h"
#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"

namespace {

bool AppendShown(CControlUI* child, std::vector<CControlUI*>& out) {
    if (!child || !child->IsVisible()) {
        return true;
    }
    if (IsSkippedForAccessibility(child)) {
        return CollectAccessibleChildren(child, out);
    }
    out.push_back(child);
    return true;
}

}  // namespace

CContainerUI* AsContainer(CControlUI* control) {
    if (!control) {
        return nullptr;
    }
    if (void* childLayout = control->CastTo(L"ChildLayout")) {
        return static_cast<CChildLayoutUI*>(childLayout);
    }
    return static_cast<CContainerUI*>(control->CastTo(L"Container"));
}

bool IsSkippedForAccessibility(CControlUI* control) {
    return control->AccessibleRole() == ROLE_SYSTEM_GROUPING && control->AccessibleName().IsEmpty();
}

CControlUI* TreeParentOf(CControlUI* control) {
    if (auto* bar = static_cast<CScrollBarUI*>(control->CastTo(L"ScrollBar"))) {
        if (bar->Owner()) {
            return bar->Owner();
        }
    }
    return control->ParentControl();
}

bool CollectAccessibleChildren(CControlUI* control, std::vector<CControlUI*>& out) {
    CContainerUI* container = AsContainer(control);
    if (!container) {
        return true;
    }
    try {
        for (int i = 0; i < container->Count(); ++i) {
            if (!AppendShown(container->ItemAt(i), out)) {
                return false;
            }
        }
        return AppendShown(container->VerticalScrollBar(), out) &&
               AppendShown(container->HorizontalScrollBar(), out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

CControlUI* AccessibleParentOf(CControlUI* control, CControlUI* root) {
    if (!control || control == root) {
        return nullptr;
    }
    for (CControlUI* parent = TreeParentOf(control); parent; parent = TreeParentOf(parent)) {
        if (parent == root || !IsSkippedForAccessibility(parent)) {
            return parent;
        }
    }
    return nullptr;
}

CControlUI* NearestShown(CControlUI* control, CControlUI* root) {
    if (!control || control == root || !IsSkippedForAccessibility(control)) {
        return control;
    }
    return AccessibleParentOf(control, root);
}

bool IsScrolledOutOfView(CControlUI* control) {
    RECT shown = control->Pos();
    for (CControlUI* parent = TreeParentOf(control); parent; parent = TreeParentOf(parent)) {
        if (!IntersectRect(&shown, &shown, &parent->Pos())) {
            return true;
        }
    }
    return IsRectEmpty(&shown) != FALSE;
}
