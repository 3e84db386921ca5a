#pragma once
// Test-only shortening of the updater's own pauses, so that the end-to-end tests need not sit
// through them. The tests set these environment variables for the updater.exe they start; a real
// run has none of them set and keeps the documented times. Like UPDATER_TEST_STOP_AFTER_STEP,
// they are read from the environment only (see the README's "Notes for developers").
//   UPDATER_TEST_CLOSE_DELAY_MS  the three-second close after the outcome (kAutoCloseDelayMs)
//   UPDATER_TEST_START_WATCH_MS  the 2-second watch of the started program (kStartWatchMs)
//   UPDATER_TEST_RETRY_PAUSE_MS  the longest pause between transfer attempts (1 s, 4 s, Retry-After)
// A value only ever shortens: one above the normal time, or one that is not a number, is ignored.

#include <windows.h>

constexpr char kTestCloseDelayVariable[] = "UPDATER_TEST_CLOSE_DELAY_MS";
constexpr char kTestStartWatchVariable[] = "UPDATER_TEST_START_WATCH_MS";
constexpr char kTestRetryPauseVariable[] = "UPDATER_TEST_RETRY_PAUSE_MS";

// `normalMs`, or the shorter time the environment variable `variable` names.
DWORD TestShortenedMs(const char* variable, DWORD normalMs);
