#include "updater/install/program_start.h"

#include <shellapi.h>

#include "updater/test_hooks.h"
#include "updater/update_log.h"
#include "ui/util/unique_handle.h"

namespace {

constexpr DWORD kWatchStepMs = 50;

bool WaitOn(bool (*wait)(HANDLE, DWORD), HANDLE handle, DWORD timeoutMs) {
    if (wait != nullptr) return wait(handle, timeoutMs);
    return WaitForSingleObject(handle, timeoutMs) == WAIT_OBJECT_0;
}

// True when the process came up: it waits for input (a GUI program past its loader), or it still
// runs after the watch, or it ended without an error status.
bool CameUp(HANDLE process, bool (*wait)(HANDLE, DWORD), DWORD& exitCode) {
    const DWORD watchMs = TestShortenedMs(kTestStartWatchVariable, kStartWatchMs);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < watchMs) {
        if (WaitOn(wait, process, kWatchStepMs)) {
            exitCode = STILL_ACTIVE;
            GetExitCodeProcess(process, &exitCode);
            return !IsFailedStartStatus(exitCode);
        }
        if (WaitForInputIdle(process, 0) == 0) return true;
    }
    return true;
}

// Errors that are about the place rather than the program (a path the shell cannot open, such as
// one of MAX_PATH characters or more): no other program would start from there either.
bool IsPlaceError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_FILENAME_EXCED_RANGE;
}

}  // namespace

bool IsFailedStartStatus(DWORD exitCode) {
    return exitCode >= 0xC0000000u;
}

StartResult StartProgram(const std::wstring& path, bool watch, bool (*wait)(HANDLE handle, DWORD timeoutMs)) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // No error dialog: a failure is handled here, and nobody may be at the screen.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    // A new process inherits this mode: a loader that misses a DLL then ends the process at once
    // instead of holding it open behind a message box, which would pass for a running program.
    const UINT errorMode = GetErrorMode();
    SetErrorMode(errorMode | SEM_FAILCRITICALERRORS);
    const bool opened = ShellExecuteExW(&info) != FALSE;
    const DWORD error = GetLastError();
    SetErrorMode(errorMode);
    if (!opened) {
        LogLine("relaunch: failed, error %lu", error);
        return IsPlaceError(error) ? StartResult::PlaceRefused : StartResult::Failed;
    }
    const UniqueHandle process(info.hProcess);
    DWORD exitCode = 0;
    if (watch && process && !CameUp(process.Get(), wait, exitCode)) {
        LogLine("relaunch: failed, the program ended at once with status 0x%08lX",
                static_cast<unsigned long>(exitCode));
        return StartResult::Failed;
    }
    LogLine("relaunch: started \"%s\"", Utf8(path).c_str());
    return StartResult::Started;
}
