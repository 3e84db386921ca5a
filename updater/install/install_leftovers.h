#pragma once
// What an installation keeps beside the target while it runs: the staged copy of the new file
// and the backup of the old one. Both have fixed names derived from the target, so that a run
// that was killed (or a machine that stopped) between two steps leaves something the next run
// for the same target recognises and completes or undoes before it does anything else.

#include <string>

// "<target>.upd-new": the new file, copied beside the target and flushed, before the swap.
std::wstring StagedPathFor(const std::wstring& targetPath);
// "<target>.upd-old": the old file, kept from before the swap until the new program has started.
std::wstring BackupPathFor(const std::wstring& targetPath);

// Keeps a copy of the current target, flushed to disk, as the backup. A leftover backup is
// replaced. False when no copy can be made.
bool MakeBackup(const std::wstring& targetPath);
// Deletes the backup; the new program runs.
void DropBackup(const std::wstring& targetPath);

// Brings the target back to a whole program after an interrupted installation: a target that is
// gone gets its backup back; otherwise the target is whole (it is only ever renamed over) and the
// backup and the staged copy are removed. Does nothing when nothing was left.
void RecoverInterruptedInstall(const std::wstring& targetPath);

// The installation's steps, for tests that stop the program between them: when the environment
// variable UPDATER_TEST_STOP_AFTER_STEP names `step`, the process ends at once, as if killed.
enum InstallStep { kStepStaged = 1, kStepBackedUp = 2, kStepSwapped = 3 };
void StopHereIfTestAsks(InstallStep step);
