#pragma once
// The steps of an installation as items, each with its do and its undo. The transaction runs
// them in order and, when one fails, undoes those it began in reverse; recovery after an
// interruption is the same walk back, driven by the journal. Every undo first looks at what is
// on disk, so it may run after a do that was cut anywhere, or a second time, and it only touches
// files the journal describes: by their content, or by the identity they had when made.

#include <windows.h>

#include <string>

#include "updater/install/install.h"
#include "updater/install/install_journal.h"
#include "updater/install/install_leftovers.h"

struct PackageSource;  // package_steps.h

struct InstallContext {
    std::wstring target;
    InstallJournal* journal = nullptr;  // what the steps read (the two programs) and write (facts)
    HANDLE download = nullptr;          // the held download while installing; null in a recovery
    InstallTimings timings;
    ReplaceSteps replace = kReplaceSteps;
    const InstallObserver* observer = nullptr;  // may ask the user about programs that stay
    bool cancelled = false;                     // the user chose to keep the old program running
    // False for a settle that runs ahead of an installation in the same run: that one ends by
    // starting a program, so the walk back only notes in `restartDeferred` that it would have.
    bool mayStartPrograms = true;
    bool restartDeferred = false;
    // An earlier run closed the old program: a walk back starts it although this one closed none.
    bool oldProgramClosed = false;
    // A whole-folder release being installed: the verified package; null in a recovery.
    const PackageSource* package = nullptr;
};

enum class StepOutcome {
    Done,
    Failed,   // a do that did not happen: the installation walks back
    Pending,  // an undo (or the clean-up) that cannot finish now; a later run finishes it
};

struct InstallStepItem {
    const char* name;  // as the journal writes it
    InstallStage stage;
    InstallResult failure;  // what a failed do makes of the installation
    InstallStopPoint stopPoint;
    // Past the point of no return (the new program came up): done again after an interruption,
    // never undone.
    bool forwardOnly;
    StepOutcome (*perform)(InstallContext& context);
    StepOutcome (*undo)(InstallContext& context);
};

const InstallStepItem& StepFor(InstallStage stage);
// Null for a name no step has (a journal of another make). Covers the whole-folder steps too.
const InstallStepItem* StepNamed(const std::string& name);

// Writes down where the download is, so that a copy of it cut short can be told as ours.
bool RecordDownloadPath(InstallContext& context);

// Renames `from` over `to`, retrying for timings.replaceRetryMs while Windows still refuses
// with a passing error (a file just closed, a virus scanner reading it).
bool MoveOverTarget(const std::wstring& from, const std::wstring& to, const InstallTimings& timings,
                    bool (*rename)(const wchar_t* from, const wchar_t* to));
