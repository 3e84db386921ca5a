#pragma once
// Asking the programs that hold the target to close, and waiting for them to end, before the
// target is swapped (or, when the new program did not come up, before the old one goes back).

#include <string>

struct InstallTimings;
struct TargetHolders;

struct ClosedPrograms {
    int ended = 0;    // processes that held the target and are gone now
    int running = 0;  // processes that still hold it (they refused, hung or could not be watched)
};

// Sends WM_SYSCOMMAND/SC_CLOSE to the main windows of every process that holds `targetPath`
// (see FindTargetHolders), the record's window among them when its program holds the target,
// waiting at most timings.closeRequestTimeoutMs for all answers together, then waits up to
// timings.hostExitTimeoutMs for the processes to end.
ClosedPrograms CloseTargetPrograms(const std::wstring& targetPath, const InstallTimings& timings);

// The same for processes already found (the holders of a release folder).
ClosedPrograms CloseHolders(const TargetHolders& holders, const InstallTimings& timings);
