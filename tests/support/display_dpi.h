#pragma once
// Running test cases at another display DPI. Wine takes the DPI from the user's LogPixels
// setting when a process starts, so a case runs at 144 or 192 DPI in a child run of the same
// test program, started while the setting says so (the setting is put back afterwards).

#include <string>

// The DPI a child run was started for; 0 in an ordinary run.
int RequestedTestDpi();

// Runs this program again with `arguments` at `dpi`; the child's exit code, or -1 when it could
// not be run or did not end within two minutes.
long RunSelfAtDpi(int dpi, const std::wstring& arguments);

// Runs this test program's cases matching `filter` at `dpi`; 0 when they passed.
long RunCasesAtDpi(int dpi, const std::wstring& filter);
