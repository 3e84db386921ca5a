#pragma once
// Settling what an earlier installation of the same target left unfinished, before anything
// else happens to that target: at the start of every run, and in the recovery mode that the
// logon entry starts. Driven by the journal alone: without one, nothing is touched.

#include <string>

#include "updater/install/install.h"

enum class RecoveryResult {
    NothingLeft,  // no journal
    Settled,      // an interrupted installation was walked back (or, past its start, finished)
    Pending,      // something still cannot be done; the journal stays, the logon entry is set
    Refused,      // a journal that is not ours, or one another updater holds: left alone
};

// A settle on its own starts the old program again when the interrupted installation had closed
// it. With `restartDeferred`, an installation follows in the same run and starts a program when
// it ends: nothing is started here, and `*restartDeferred` says whether the old program should be
// started should the run end without installing.
RecoveryResult RecoverInterruptedInstall(const std::wstring& targetPath, const InstallTimings& timings = {},
                                         bool* restartDeferred = nullptr);
