#pragma once
// The check's own small presence: a hidden window that stands for the check in the
// single-instance record (so a second updater finds it running), and the balloon at a
// notification-area icon that tells a user who asked (--now) what the check found.

#include <windows.h>

#include "ui/util/unique_handle.h"

// How long a balloon stays before the icon goes (the update window's close takes as long).
constexpr DWORD kCheckBalloonMs = 3000;

class CheckNotice {
public:
    // Creates the hidden window; Window() is null when that failed.
    CheckNotice();
    CheckNotice(const CheckNotice&) = delete;
    CheckNotice& operator=(const CheckNotice&) = delete;

    HWND Window() const { return window_.Get(); }
    // Shows `text` as a balloon at the updater's icon for `ms`, answering messages meanwhile,
    // then removes the icon. Logged; a screen reader hears nothing extra (the shell reads balloons).
    void ShowBalloon(const wchar_t* text, DWORD ms = kCheckBalloonMs);

private:
    UniqueWindow window_;
    UniqueIcon icon_;
};
