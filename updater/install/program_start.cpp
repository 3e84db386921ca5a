#include "updater/install/program_start.h"

#include <shellapi.h>

#include "updater/files/windows_image.h"
#include "updater/install/process_holders.h"
#include "updater/test_hooks.h"
#include "updater/update_log.h"
#include "ui/util/unique_handle.h"

namespace {

constexpr DWORD kWatchStepMs = 50;
// The headers name it only for Vista and later builds of some SDKs.
constexpr DWORD kErrorElevationRequired = 740;

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

// The shell's way, for a data file and for a program that must ask for elevation. Null when the
// shell refused (GetLastError says why).
UniqueHandle OpenWithShell(const std::wstring& path, bool& opened) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // No error dialog: a failure is handled here, and nobody may be at the screen. No
    // environment-variable expansion either: the path is taken as it is written.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    const std::wstring folder = StartFolderOf(path);
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    opened = ShellExecuteExW(&info) != FALSE;
    return UniqueHandle(info.hProcess);
}

UniqueHandle CreateProgramProcess(const std::wstring& path, bool& opened) {
    std::wstring commandLine = L"\"" + path + L"\"";
    const std::wstring folder = StartFolderOf(path);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION created = {};
    opened = CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &startup, &created) != FALSE;
    if (!opened) return UniqueHandle();
    CloseHandle(created.hThread);
    return UniqueHandle(created.hProcess);
}

// Starts `path`; the process (when there is one to watch) or null with `opened` false.
UniqueHandle Launch(const std::wstring& path, bool program, bool& opened) {
    // A new process inherits this mode: a loader that misses a DLL then ends the process at once
    // instead of holding it open behind a message box, which would pass for a running program.
    const UINT errorMode = GetErrorMode();
    SetErrorMode(errorMode | SEM_FAILCRITICALERRORS);
    UniqueHandle process = program ? CreateProgramProcess(path, opened) : OpenWithShell(path, opened);
    DWORD error = GetLastError();
    if (program && !opened && error == kErrorElevationRequired) {
        process = OpenWithShell(path, opened);
        error = GetLastError();
    }
    SetErrorMode(errorMode);
    SetLastError(error);
    return process;
}

}  // namespace

bool IsFailedStartStatus(DWORD exitCode) {
    for (DWORD status : kFailedStartStatuses) {
        if (exitCode == status) return true;
    }
    return false;
}

std::wstring StartFolderOf(const std::wstring& programPath) {
    const size_t slash = programPath.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::wstring();
    // "C:\" keeps its separator: "C:" alone would mean the drive's current folder.
    return programPath.substr(0, slash == 2 && programPath[1] == L':' ? slash + 1 : slash);
}

StartResult StartProgram(const std::wstring& path, bool watch, const std::vector<DWORD>& ignored) {
    if (path.size() >= MAX_PATH) {
        LogLine("relaunch: \"%s\" is too long a path to start anything from", Utf8(path).c_str());
        return StartResult::PlaceRefused;
    }
    const bool program = IsWindowsImageFile(path);
    if (program && AnyProcessRuns(path, ignored)) {
        LogLine("relaunch: \"%s\" already runs, not started again", Utf8(path).c_str());
        return StartResult::Started;
    }
    bool opened = false;
    const UniqueHandle process = Launch(path, program, opened);
    if (!opened) {
        LogLine("relaunch: failed, error %lu", GetLastError());
        return StartResult::Failed;
    }
    DWORD exitCode = 0;
    if (watch && process && !CameUp(process.Get(), exitCode)) {
        LogLine("relaunch: failed, the program ended at once with status 0x%08lX",
                static_cast<unsigned long>(exitCode));
        return StartResult::Failed;
    }
    LogLine("relaunch: started \"%s\"", Utf8(path).c_str());
    return StartResult::Started;
}
