#include "updater/install/recovery.h"

#include "updater/install/install_transaction.h"
#include "updater/install/logon_recovery.h"
#include "updater/paths.h"
#include "updater/update_log.h"

namespace {

// A journal naming a step this updater does not know was not written by it.
bool KnowsEveryStep(const JournalRecord& record) {
    for (const std::string& name : record.begun) {
        if (StepNamed(name) == nullptr) return false;
    }
    for (const std::string& name : record.undone) {
        if (StepNamed(name) == nullptr) return false;
    }
    return true;
}

// Past the point of no return the installation is finished, otherwise it is walked back.
bool Resume(InstallContext& context) {
    const JournalRecord& record = context.journal->Record();
    const InstallStepItem* last = record.begun.empty() ? nullptr : StepNamed(record.begun.back());
    LogLine("recovery: an interrupted installation of \"%s\" found, last step \"%s\"", Utf8(context.target).c_str(),
            last != nullptr ? last->name : "none");
    if (last != nullptr && last->forwardOnly) {
        const StepOutcome outcome = last->perform(context);
        // Finishing it turned out wrong (the new program is gone): back to the old one after all.
        if (outcome != StepOutcome::Failed) return outcome == StepOutcome::Done;
    }
    return WalkBack(context);
}

}  // namespace

RecoveryResult RecoverInterruptedInstall(const std::wstring& targetPath, const InstallTimings& timings,
                                         bool* restartDeferred) {
    InstallJournal journal;
    switch (journal.Open(targetPath)) {
        case InstallJournal::Opened::None:
            // A logon entry whose journal a later run already settled has nothing left to do.
            CancelLogonRecovery(targetPath);
            return RecoveryResult::NothingLeft;
        case InstallJournal::Opened::Busy:
            LogLine("recovery: another updater is at work on \"%s\"", Utf8(targetPath).c_str());
            return RecoveryResult::Refused;
        case InstallJournal::Opened::Foreign:
            LogLine("recovery: \"%s\" was not written by the updater, nothing touched",
                    Utf8(JournalPathFor(targetPath)).c_str());
            return RecoveryResult::Refused;
        case InstallJournal::Opened::Ours:
            break;
    }
    if (!KnowsEveryStep(journal.Record())) {
        LogLine("recovery: the journal names steps this updater does not know, nothing touched");
        return RecoveryResult::Refused;
    }
    InstallContext context;
    context.target = targetPath;
    context.journal = &journal;
    context.timings = timings;
    context.mayStartPrograms = restartDeferred == nullptr;
    const bool settled = Resume(context);
    if (restartDeferred != nullptr) *restartDeferred = context.restartDeferred;
    Settle(context, settled);
    return settled ? RecoveryResult::Settled : RecoveryResult::Pending;
}
