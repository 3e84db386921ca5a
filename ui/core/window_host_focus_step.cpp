// CWindowHostUI: the focus step of a paint. Choosing the focus follows the tab order, which
// keyboard navigation brings; until then a pending choice simply stays pending.

#include "ui/core/window_host.h"

void CWindowHostUI::RunFocusStep() {}
