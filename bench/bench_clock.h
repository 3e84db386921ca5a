#pragma once
// The benchmarks' one clock: milliseconds of the performance counter since a reading of it,
// and the time from creating a process to the end of its first paint.

#include <windows.h>

#include <cwchar>
#include <string>

#include "tests/support/process.h"
#include "updater/first_paint.h"

inline double MillisecondsSince(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Starts `exe` with the first-paint event named in its environment and returns the milliseconds
// from before CreateProcess to the event (negative: no first paint). `ending` gets the process
// id before the process is ended, for what it may have started itself.
template <typename Ending>
double TimeToFirstPaint(const std::wstring& exe, const std::wstring& arguments, int serial, Ending ending) {
    wchar_t name[96];
    swprintf(name, 96, L"Local\\bench-first-paint-%lu-%d", GetCurrentProcessId(), serial);
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name));
    SetEnvironmentVariableW(kFirstPaintEventVariable, name);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    ChildProcess child;
    double elapsed = -1;
    if (child.Start(exe, arguments) && WaitForSingleObject(event.Get(), 30000) == WAIT_OBJECT_0) {
        elapsed = MillisecondsSince(start);
    }
    ending(child.Id());
    child.Terminate();
    SetEnvironmentVariableW(kFirstPaintEventVariable, nullptr);
    return elapsed;
}
