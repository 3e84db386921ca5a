#pragma once
// A check the user asked for (--now) gathers its findings on a worker thread while the
// "正在检查更新…" window shows, so the window paints and answers from the start, however long
// the server takes.

#include <memory>

#include "updater/check/check_findings.h"

// Runs GatherCheckFindings on a worker while the window shows (modally, on the calling thread),
// and returns the findings once they are gathered; null when the user cancelled (logged). A
// cancelled worker is left to itself and ends with the process: nothing it writes is needed.
// When no worker or window can be made, the findings are gathered on the calling thread.
// Call after CoInitialize and the framework's module instance are set (as main.cpp does).
std::shared_ptr<CheckFindings> GatherWhileShowingProgress(const CheckRequest& request);
