#pragma once
// The benchmarks' one clock: milliseconds of the performance counter since a reading of it.

#include <windows.h>

inline double MillisecondsSince(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}
