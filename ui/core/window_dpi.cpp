#include "ui/core/window_dpi.h"

#include "ui/util/dpi_scale.h"

namespace {

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiProc = int(WINAPI*)(int, UINT);
// MDT_EFFECTIVE_DPI is 0 in the shell's monitor DPI types.
using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <typename Proc>
Proc SystemEntry(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (!handle) {
        // shcore.dll is not loaded by every process; it stays loaded once asked for.
        handle = LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return handle ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(handle, name))) : nullptr;
}

int AtLeastSkinDpi(UINT dpi) {
    return dpi >= static_cast<UINT>(dpi::kSkinDpi) && dpi < 0x10000 ? static_cast<int>(dpi) : dpi::kSkinDpi;
}

int MonitorDpi(HWND window) {
    static const auto getDpiForMonitor = SystemEntry<GetDpiForMonitorProc>(L"shcore.dll", "GetDpiForMonitor");
    if (!getDpiForMonitor) {
        return 0;
    }
    UINT x = 0;
    UINT y = 0;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    return monitor && SUCCEEDED(getDpiForMonitor(monitor, 0, &x, &y)) ? static_cast<int>(y) : 0;
}

}  // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return AtLeastSkinDpi(static_cast<UINT>(dpi));
}

int WindowDpi(HWND window) {
    if (!window) {
        return dpi::kSkinDpi;
    }
    static const auto getDpiForWindow = SystemEntry<GetDpiForWindowProc>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow) {
        if (UINT dpi = getDpiForWindow(window)) {
            return AtLeastSkinDpi(dpi);
        }
    }
    if (int dpi = MonitorDpi(window)) {
        return AtLeastSkinDpi(static_cast<UINT>(dpi));
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi =
        SystemEntry<GetSystemMetricsForDpiProc>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi && dpi > 0) {
        if (int value = forDpi(index, static_cast<UINT>(dpi))) {
            return value;
        }
    }
    return dpi::ScaleLength(GetSystemMetrics(index), dpi, SystemDpi());
}
