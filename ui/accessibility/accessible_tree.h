#pragma once
// The tree a screen reader walks, derived from the control tree: every visible control except
// the plain containers that have no name. Those only arrange their children, so they are left
// out and their children take their place under the nearest ancestor that is shown. A
// container's scroll bars follow its children.

#include <vector>

class CControlUI;
class CContainerUI;

// The control as a container, a child layout included (it hides that from CastTo, for the
// skin builder); null for any other control.
CContainerUI* AsContainer(CControlUI* control);

// A plain container (role "grouping") without a name.
bool IsSkippedForAccessibility(CControlUI* control);
// The parent in the control tree; a scroll bar's is the container that owns it.
CControlUI* TreeParentOf(CControlUI* control);
// The controls shown as children of `control`, in order, appended to `out`; false when memory
// ran out (`out` then holds what was found before).
bool CollectAccessibleChildren(CControlUI* control, std::vector<CControlUI*>& out);
// The shown parent: the nearest ancestor below or at `root` that is not skipped; null for the
// root itself and for a control outside its tree.
CControlUI* AccessibleParentOf(CControlUI* control, CControlUI* root);
// The control itself when it is shown, else its shown parent.
CControlUI* NearestShown(CControlUI* control, CControlUI* root);
// Whether a visible control lies wholly outside the area its ancestors show (scrolled away).
bool IsScrolledOutOfView(CControlUI* control);
