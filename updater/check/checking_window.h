#pragma once
// A check the user asked for (--now) gathers its findings on a worker thread while the
// "正在检查更新…" window shows, so the window paints and answers from the start, however long
// the server takes.

#include <windows.h>

#include <memory>

#include "updater/check/check_findings.h"
#include "updater/check/checking_dialog.h"

class CheckProgress {
public:
    // Creates the window, not shown yet, so that it can stand for this updater in the
    // single-instance record before anything is shown. False when it could not be created.
    // Call after CoInitialize and the framework's module instance are set (as main.cpp does).
    bool Create();
    HWND Window() const { return window_.WindowHandle(); }

    // Runs GatherCheckFindings on a worker while the window shows (modally, on the calling
    // thread), and returns the findings once they are gathered; null when the user cancelled
    // (logged). A cancelled worker is left to itself and ends with the process: nothing it
    // writes is needed. Without a window or a worker, the findings are gathered right here.
    std::shared_ptr<CheckFindings> Gather(const CheckRequest& request);

private:
    CCheckingWnd window_;
};
