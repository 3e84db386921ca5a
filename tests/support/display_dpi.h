#pragma once
// Running test cases at another display DPI. Wine takes the DPI from the user's LogPixels
// setting when a process starts, so a case runs at 144 or 192 DPI in a child run of the same
// test program, started while the setting says so (the setting is put back afterwards).

#include <string>

// The DPI a child run was started for; 0 in an ordinary run.
int RequestedTestDpi();

// Runs this test program's cases matching `filter` at `dpi`; the child's exit code (0 when its
// cases passed), or -1 when it could not be run.
long RunCasesAtDpi(int dpi, const std::wstring& filter);
