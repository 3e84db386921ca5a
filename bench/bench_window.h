#pragma once
// Shared by the benchmarks that drive a real window: the window procedure that hands messages
// to the host stored in the window's user data, and the clock.

#include <windows.h>

#include "ui/core/window_host.h"

inline LRESULT CALLBACK BenchHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<CWindowHostUI*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (host && host->ProcessMessage(message, wParam, lParam, result)) {
        return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

inline double BenchSeconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}
