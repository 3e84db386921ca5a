#pragma once
// Wine reads the user's LogPixels when a process starts: cases run at another DPI in a child run.
#include <string>

// The DPI a child run was started for; 0 in an ordinary run.
int RequestedTestDpi();
// Runs this program with `arguments` at `dpi` (LogPixels put back afterwards): its exit code, -1
// when it could not be run or did not end within two minutes.
long RunSelfAtDpi(int dpi, const std::wstring& arguments);
