#include "updater/install/program_start.h"

#include <shellapi.h>

#include "updater/test_hooks.h"
#include "updater/update_log.h"
#include "ui/util/unique_handle.h"

namespace {

constexpr DWORD kWatchStepMs = 50;

// The statuses that say a start failed. A loader's: a DLL missing, an entry point missing from
// a DLL, an image for another system, a DLL whose initialisation failed. A crash's: an access
// violation, an illegal instruction, a stack overflow, a corrupted heap, a stack buffer overrun
// (fail-fast), and exceptions nobody caught in .NET and in C++.
constexpr DWORD kFailedStartStatuses[] = {
    0xC0000005,  // STATUS_ACCESS_VIOLATION
    0xC000001D,  // STATUS_ILLEGAL_INSTRUCTION
    0xC00000FD,  // STATUS_STACK_OVERFLOW
    0xC0000135,  // STATUS_DLL_NOT_FOUND
    0xC0000139,  // STATUS_ENTRYPOINT_NOT_FOUND
    0xC000007B,  // STATUS_INVALID_IMAGE_FORMAT
    0xC0000142,  // STATUS_DLL_INIT_FAILED
    0xC0000374,  // STATUS_HEAP_CORRUPTION
    0xC0000409,  // STATUS_STACK_BUFFER_OVERRUN
    0xE0434352,  // an unhandled .NET exception (0xE0, then "CCR")
    0xE06D7363,  // an unhandled C++ exception (0xE0, then "msc")
};

// True when the process came up: it waits for input (a GUI program past its loader), or it still
// runs after the watch, or it ended with a code of its own.
bool CameUp(HANDLE process, DWORD& exitCode) {
    const DWORD watchMs = TestShortenedMs(kTestStartWatchVariable, kStartWatchMs);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < watchMs) {
        if (WaitForSingleObject(process, kWatchStepMs) == WAIT_OBJECT_0) {
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
    for (DWORD status : kFailedStartStatuses) {
        if (exitCode == status) return true;
    }
    return false;
}

StartResult StartProgram(const std::wstring& path, bool watch) {
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
    if (watch && process && !CameUp(process.Get(), exitCode)) {
        LogLine("relaunch: failed, the program ended at once with status 0x%08lX",
                static_cast<unsigned long>(exitCode));
        return StartResult::Failed;
    }
    LogLine("relaunch: started \"%s\"", Utf8(path).c_str());
    return StartResult::Started;
}
