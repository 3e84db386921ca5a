#pragma once
// The files an installation keeps beside the target while it runs. They have fixed names derived
// from the target, so that what a run left behind (killed, or the machine stopped, between two
// steps) is found by the next run for the same target; the journal (install_journal.h) says
// which of them that run made, and only those are ever touched.

#include <string>

// "<target>.upd-new": the new file, copied beside the target and flushed, before the swap.
std::wstring StagedPathFor(const std::wstring& targetPath);
// "<target>.upd-old": the old file, kept from before the swap until the new program has started.
std::wstring BackupPathFor(const std::wstring& targetPath);
// "<target>.upd-aside": a new program that did not come up, moved out of the target's place
// while a copy of it still runs (Windows renames a running program's file but never replaces it).
std::wstring AsidePathFor(const std::wstring& targetPath);

// The installation's steps, for tests that stop the program between them: when the environment
// variable UPDATER_TEST_STOP_AFTER_STEP names `step`, the process ends at once, as if killed.
enum InstallStopPoint { kStopNever = 0, kStepStaged = 1, kStepBackedUp = 2, kStepSwapped = 3 };
void StopHereIfTestAsks(InstallStopPoint step);
