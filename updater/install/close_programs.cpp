#include "updater/install/close_programs.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "updater/install/install.h"
#include "updater/install/process_holders.h"
#include "updater/update_log.h"

namespace {

// A process that cannot be watched gets the short grace such hosts always had.
constexpr DWORD kUnwatchedHostGraceMs = 500;

DWORD Remaining(DWORD start, DWORD timeoutMs) {
    const DWORD elapsed = GetTickCount() - start;
    return elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
}

std::vector<HWND> WindowsToClose(const TargetHolders& holders) {
    std::vector<HWND> windows = MainWindowsOf(holders.Ids());
    // A program hidden in the notification area shows no window but publishes one.
    if (holders.recordWindow != nullptr &&
        std::find(windows.begin(), windows.end(), holders.recordWindow) == windows.end()) {
        windows.push_back(holders.recordWindow);
    }
    return windows;
}

// A hung program must not hang the installation: all requests share one time-out.
void SendCloseRequests(const std::vector<HWND>& windows, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (HWND window : windows) {
        DWORD_PTR ignored = 0;
        const bool answered = SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_CLOSE, 1, SMTO_ABORTIFHUNG,
                                                  std::max<DWORD>(Remaining(start, timeoutMs), 1), &ignored) != 0;
        LogLine("host: close request to window %ld %s", static_cast<long>(reinterpret_cast<INT_PTR>(window)),
                answered ? "answered" : "not answered");
    }
}

ClosedPrograms WaitForEnd(const TargetHolders& holders, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    ClosedPrograms outcome;
    bool unwatched = false;
    for (const RunningProcess& process : holders.processes) {
        if (!process.handle) {
            unwatched = true;
            continue;
        }
        const bool ended = WaitForSingleObject(process.handle.Get(), Remaining(start, timeoutMs)) == WAIT_OBJECT_0;
        ++(ended ? outcome.ended : outcome.running);
        LogLine("host: process %s after %lu ms (id %lu)", ended ? "ended" : "still running",
                static_cast<unsigned long>(GetTickCount() - start), static_cast<unsigned long>(process.id));
    }
    if (unwatched) {
        Sleep(kUnwatchedHostGraceMs);
        ++outcome.ended;
    }
    return outcome;
}

}  // namespace

ClosedPrograms CloseTargetPrograms(const std::wstring& targetPath, const InstallTimings& timings) {
    return CloseHolders(FindTargetHolders(targetPath), timings);
}

ClosedPrograms CloseHolders(const TargetHolders& holders, const InstallTimings& timings) {
    if (holders.processes.empty()) {
        LogLine("host: no program of the target runs, nothing to close");
        return ClosedPrograms();
    }
    SendCloseRequests(WindowsToClose(holders), timings.closeRequestTimeoutMs);
    return WaitForEnd(holders, timings.hostExitTimeoutMs);
}
