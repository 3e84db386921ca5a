#pragma once
// One walk for the installation, its rollback and the recovery after an interruption: the steps
// run forward in order; a failed one turns the walk back over the steps the journal says were
// begun, in reverse, each undo written down once done. What cannot be undone now stays pending:
// the journal stays, and the updater runs again for the target at the next logon.

#include <cstddef>

#include "updater/install/install_steps.h"

// Runs `stages` in order, telling `observer` each one. Installed when every step was done; the
// failing step's result after a walk back otherwise.
InstallResult RunSteps(InstallContext& context, const InstallStage* stages, size_t count,
                       const InstallObserver& observer);

// The same walk over steps given as items (the whole-folder installation's).
InstallResult RunStepItems(InstallContext& context, const InstallStepItem* const* steps, size_t count,
                           const InstallObserver& observer);

// Undoes, in reverse, the steps the journal says were begun and not yet undone. False when an
// undo could not finish (the walk stops there: what came before it depends on it).
bool WalkBack(InstallContext& context);

// Ends a walk: a settled installation leaves no journal and no logon entry; an unsettled one
// keeps its journal and asks for a recovery at the next logon.
void Settle(InstallContext& context, bool settled);
