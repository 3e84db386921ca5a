#include "updater/install/install_transaction.h"

#include <string>
#include <vector>

#include "updater/install/logon_recovery.h"
#include "updater/paths.h"
#include "updater/update_log.h"

InstallResult RunSteps(InstallContext& context, const InstallStage* stages, size_t count,
                       const InstallObserver& observer) {
    std::vector<const InstallStepItem*> steps;
    for (size_t i = 0; i < count; ++i) steps.push_back(&StepFor(stages[i]));
    return RunStepItems(context, steps.data(), steps.size(), observer);
}

InstallResult RunStepItems(InstallContext& context, const InstallStepItem* const* steps, size_t count,
                           const InstallObserver& observer) {
    bool settled = true;
    for (size_t i = 0; i < count; ++i) {
        const InstallStepItem& step = *steps[i];
        if (observer.stepBegun != nullptr) observer.stepBegun(step.stage, observer.context);
        // A step the journal cannot announce is not taken: nobody could undo it after a stop.
        const StepOutcome outcome =
            context.journal->Begin(step.name) ? step.perform(context) : StepOutcome::Failed;
        if (outcome == StepOutcome::Failed) {
            Settle(context, WalkBack(context));
            return context.cancelled ? InstallResult::Cancelled : step.failure;
        }
        settled = settled && outcome == StepOutcome::Done;
        StopHereIfTestAsks(step.stopPoint);
    }
    Settle(context, settled);
    return InstallResult::Installed;
}

bool WalkBack(InstallContext& context) {
    const std::vector<std::string> begun = context.journal->Record().begun;
    for (auto name = begun.rbegin(); name != begun.rend(); ++name) {
        const InstallStepItem* step = StepNamed(*name);
        if (step == nullptr || context.journal->Record().WasUndone(*name)) continue;
        if (step->undo(context) == StepOutcome::Pending) return false;
        context.journal->Undone(*name);
    }
    return true;
}

void Settle(InstallContext& context, bool settled) {
    if (settled) {
        context.journal->Remove();
        CancelLogonRecovery(context.target);
        return;
    }
    LogLine("recovery: \"%s\" is not settled yet; its journal stays for the next run or logon",
            Utf8(context.target).c_str());
    ScheduleLogonRecovery(context.target);
}
