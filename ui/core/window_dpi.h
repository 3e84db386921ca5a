#pragma once
// Where a window's DPI comes from. The newer entry points are looked up at run time, so the
// program still starts on Windows 7, which has none of them.

#include <windows.h>

// WM_DPICHANGED (Windows 8.1 and later): wParam carries the new DPI in both words, lParam the
// window rectangle Windows suggests for it.
constexpr UINT kDpiChangedMessage = 0x02E0;

// The window's DPI: GetDpiForWindow (Windows 10 1607 and later), else the DPI of the monitor
// the window is on (GetDpiForMonitor, Windows 8.1), else the system DPI of the screen DC.
// Never below 96; 96 for a null window.
int WindowDpi(HWND window);

// The system DPI, for windowless hosts and the tray icon.
int SystemDpi();

// A system metric (an icon size, say) for a DPI: GetSystemMetricsForDpi (Windows 10 1607 and
// later), else the system's metric scaled from the system DPI.
int SystemMetricForDpi(int index, int dpi);
