#include "updater/install/install_leftovers.h"

#include <windows.h>

#include <cstdlib>

#include "updater/update_log.h"

std::wstring StagedPathFor(const std::wstring& targetPath) {
    return targetPath + L".upd-new";
}

std::wstring BackupPathFor(const std::wstring& targetPath) {
    return targetPath + L".upd-old";
}

std::wstring AsidePathFor(const std::wstring& targetPath) {
    return targetPath + L".upd-aside";
}

void StopHereIfTestAsks(InstallStopPoint step) {
    const char* stop = std::getenv("UPDATER_TEST_STOP_AFTER_STEP");
    if (step == kStopNever || stop == nullptr || std::atoi(stop) != step) return;
    LogLine("test: stopped after installation step %d", static_cast<int>(step));
    TerminateProcess(GetCurrentProcess(), 3);
}
