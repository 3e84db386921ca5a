#pragma once
// Test-only shortening of the updater's own pauses, so that the end-to-end tests need not sit
// through them. The tests set these environment variables for the updater.exe they start; a real
// run has none of them set and keeps the documented times. Like UPDATER_TEST_STOP_AFTER_STEP,
// they are read from the environment only (see the README's "Notes for developers").
//   UPDATER_TEST_CLOSE_DELAY_MS  the three-second close after the outcome (kAutoCloseDelayMs)
//   UPDATER_TEST_START_WATCH_MS  the 2-second watch of the started program (kStartWatchMs)
//   UPDATER_TEST_RETRY_PAUSE_MS  the longest pause between transfer attempts (1 s, 4 s, Retry-After)
// A value only ever shortens: one above the normal time, or one that is not a number, is ignored.
//   UPDATER_TEST_CUT_AT          a cut point's name, or a count: the process ends there at once,
//                                as if killed (see CutHereIfTestAsks)
//   UPDATER_TEST_TARGET_VANISHES  "1": the installed file disappears right after the swap, as a
//                                virus scanner that quarantines it would make it

#include <windows.h>

constexpr char kTestCloseDelayVariable[] = "UPDATER_TEST_CLOSE_DELAY_MS";
constexpr char kTestStartWatchVariable[] = "UPDATER_TEST_START_WATCH_MS";
constexpr char kTestRetryPauseVariable[] = "UPDATER_TEST_RETRY_PAUSE_MS";

// `normalMs`, or the shorter time the environment variable `variable` names.
DWORD TestShortenedMs(const char* variable, DWORD normalMs);

// The installation's cut points: every journal write, the steps' file creations and the moment
// between the two renames of a restore each pass one, named after what was just done ("header",
// "begin swap", "created staged", "restore aside"...). When UPDATER_TEST_CUT_AT holds `point`, or
// the number of cut points passed so far in this process (this one included), the process ends
// at once with exit code 3, leaving the disk as a killed updater would.
void CutHereIfTestAsks(const char* point);
// True when UPDATER_TEST_CUT_AT names `point` by its name: the caller tears what it is writing
// (writes part of it) and then calls CutHereIfTestAsks.
bool TestCutsAt(const char* point);
// True when UPDATER_TEST_TARGET_VANISHES is "1".
bool TestTargetVanishes();
