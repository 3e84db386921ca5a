// WindowImplBase: the borderless frame. The whole window is client area; the skin's caption
// rectangle drags it and its size box resizes it, a maximised window covers exactly the work
// area of its monitor, and the window region rounds the corners.

#include "ui/core/window_impl_base.h"

#include <cwchar>

#include "ui/controls/control.h"
#include "ui/draw/gdi_objects.h"

namespace {

// Controls that take clicks themselves: the caption does not drag through them.
const wchar_t* const kClickableClasses[] = {L"ButtonUI", L"OptionUI", L"TextUI", L"SliderUI"};

POINT PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

MONITORINFO NearestMonitor(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor;
}

LRESULT SizeBoxHit(POINT pt, const RECT& client, const RECT& box) {
    const bool left = pt.x < client.left + box.left;
    const bool right = pt.x > client.right - box.right;
    if (pt.y < client.top + box.top) {
        return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    }
    if (pt.y > client.bottom - box.bottom) {
        return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    }
    return left ? HTLEFT : right ? HTRIGHT : HTNOWHERE;
}

}  // namespace

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
    if (::IsIconic(WindowHandle())) {
        handled = false;
    }
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM lParam, bool&) {
    const HWND window = WindowHandle();
    if (!::IsZoomed(window)) {
        return 0;
    }
    // With either form of the message the first rectangle sits at lParam.
    RECT* proposed = reinterpret_cast<RECT*>(lParam);
    const RECT work = NearestMonitor(window).rcWork;
    proposed->right = proposed->left + (work.right - work.left);
    proposed->bottom = proposed->top + (work.bottom - work.top);
    return WVR_REDRAW;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    const HWND window = WindowHandle();
    POINT pt = PointOf(lParam);
    ::ScreenToClient(window, &pt);
    RECT client;
    ::GetClientRect(window, &client);
    if (!::IsZoomed(window)) {
        const LRESULT sizing = SizeBoxHit(pt, client, host.SizeBox());
        if (sizing != HTNOWHERE) {
            return sizing;
        }
    }
    const int count = static_cast<int>(sizeof kClickableClasses / sizeof kClickableClasses[0]);
    return IsCaptionPoint(pt, kClickableClasses, count, true) ? HTCAPTION : HTCLIENT;
}

bool WindowImplBase::IsCaptionPoint(POINT pt, const wchar_t* const* clickableClasses, int count,
                                    bool ignoreCase) {
    RECT client;
    ::GetClientRect(WindowHandle(), &client);
    const RECT caption = host.CaptionRect();
    if (pt.x < client.left + caption.left || pt.x >= client.right - caption.right || pt.y < caption.top ||
        pt.y >= caption.bottom) {
        return false;
    }
    CControlUI* control = host.FindControlAt(pt);
    if (!control) {
        return false;
    }
    const wchar_t* className = control->ClassName();
    for (int i = 0; i < count; ++i) {
        const int difference = ignoreCase ? _wcsicmp(className, clickableClasses[i])
                                          : std::wcscmp(className, clickableClasses[i]);
        if (difference == 0) {
            return false;
        }
    }
    return true;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    const MONITORINFO monitor = NearestMonitor(WindowHandle());
    const RECT& work = monitor.rcWork;
    info->ptMaxPosition = {work.left - monitor.rcMonitor.left, work.top - monitor.rcMonitor.top};
    info->ptMaxTrackSize = {work.right - work.left, work.bottom - work.top};
    const SIZE minimum = host.MinTrackSize();
    info->ptMinTrackSize = {minimum.cx, minimum.cy};
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
    if (!::IsIconic(WindowHandle())) {
        ApplyRoundRegion();
    }
    handled = false;
    return 0;
}

void WindowImplBase::ApplyRoundRegion() {
    const HWND window = WindowHandle();
    RECT rc;
    ::GetWindowRect(window, &rc);
    ::OffsetRect(&rc, -rc.left, -rc.top);
    const SIZE corner = host.RoundCorner();
    CGdiObject<HRGN> region(
        ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, corner.cx, corner.cy));
    // Once set, the region belongs to the window: deleting it as well would free a handle that
    // the system (or, by then, another object) uses.
    if (region && ::SetWindowRgn(window, region.Get(), TRUE)) {
        region.Release();
    }
}
