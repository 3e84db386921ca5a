// CWindowHostUI: the stage of the message loop that sees every queued message before it is
// translated and dispatched.
#include "ui/core/window_host.h"

// For now no host takes part in this stage, so every message is translated and dispatched as
// usual. The hosts' pre-translation (Tab navigation, Alt shortcuts, pre-filters and shortcut
// translators, walked over the list of hosts with windows) is filled in here later.
bool CWindowHostUI::FilterQueuedMessage(MSG* /*msg*/) {
    return false;
}
