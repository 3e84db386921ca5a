#include "updater/install/install.h"

#include <atomic>
#include <memory>
#include <new>
#include <utility>

#include "updater/delivery/body_checks.h"
#include "updater/delivery/download_file.h"
#include "updater/install/install_leftovers.h"
#include "updater/paths.h"
#include "updater/install/program_start.h"
#include "updater/update_log.h"
#include "updater/install/window_record.h"

namespace {

constexpr DWORD kUnwatchedHostGraceMs = 500;
constexpr size_t kCopyBufferBytes = 256 * 1024;

bool Wait(const InstallTimings& timings, HANDLE handle, DWORD timeoutMs) {
    if (timings.wait != nullptr) return timings.wait(handle, timeoutMs);
    if (handle == nullptr) {
        Sleep(timeoutMs);
        return false;
    }
    return WaitForSingleObject(handle, timeoutMs) == WAIT_OBJECT_0;
}

// The last close request the host has answered (its request number), set by the answer's
// callback. A number rather than a flag on the caller's stack: an answer that comes after the
// caller gave up must not write into a finished call.
std::atomic<unsigned> g_answeredCloseRequest{0};
unsigned g_lastCloseRequest = 0;

void CALLBACK OnCloseRequestAnswered(HWND, UINT, ULONG_PTR request, LRESULT) {
    g_answeredCloseRequest = static_cast<unsigned>(request);
}

// Sends the close request without blocking on it: a host may take its time in its close handler
// (asking to save, or Wine destroying its window), and the update window must keep painting
// meanwhile. The answer arrives as a callback while this thread looks at its queue.
// True when the host answered within the time-out.
bool SendCloseRequest(HWND host, const InstallTimings& timings) {
    const unsigned request = ++g_lastCloseRequest;
    if (IsHungAppWindow(host) ||
        !SendMessageCallbackW(host, WM_SYSCOMMAND, SC_CLOSE, 1, OnCloseRequestAnswered, request)) {
        return false;
    }
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < timings.closeRequestTimeoutMs) {
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (g_answeredCloseRequest == request) return true;
        Wait(timings, nullptr, 20);
    }
    return false;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// The host's process, opened before the close request: a host that handles SC_CLOSE destroys
// its window at once, and afterwards the window no longer tells whose process it was.
UniqueHandle OpenProcessOf(HWND window) {
    const DWORD processId = ProcessOf(window);
    if (processId == 0) return UniqueHandle();
    return UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, processId));
}

// A new file beside the target, so the final swap is a rename on one volume. Its name is fixed
// (a later run must recognise it after an interruption); one left by such a run goes first.
UniqueHandle CreateStagingFile(const std::wstring& targetPath, std::wstring& staged) {
    staged = StagedPathFor(targetPath);
    RemoveStaleFile(staged);
    return UniqueHandle(CreateFileW(LongPathForm(staged).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool CopyContents(HANDLE source, HANDLE destination) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferBytes]);
    LARGE_INTEGER start = {};
    if (!buffer || !SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) return false;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, buffer.get(), kCopyBufferBytes, &got, nullptr)) return false;
        if (got == 0) return true;
        if (!WriteAll(destination, buffer.get(), got)) return false;
    }
}

// The staged copy is made from the download's own handle, never by name: what another process
// might have put at the download's path in the meantime is not what gets installed.
bool StageCopy(HANDLE download, const std::wstring& targetPath, const ReplaceSteps& steps,
               std::wstring& staged) {
    UniqueHandle file = CreateStagingFile(targetPath, staged);
    if (!file) return false;
    // Flushed before the rename: after a power cut the target must be the old program or the
    // whole new one, never an empty or half-written file.
    if (CopyContents(download, file.Get()) && steps.flush(file.Get())) return true;
    file.Reset();
    DeleteFileW(LongPathForm(staged).c_str());
    return false;
}

// A program file still mapped (its process just ended, a virus scanner reads it) refuses the
// replacement with one of these for a moment.
bool IsTransientReplaceError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool MoveOverTarget(const std::wstring& staged, const std::wstring& targetPath, const InstallTimings& timings,
                    const ReplaceSteps& steps) {
    const std::wstring from = LongPathForm(staged);
    const std::wstring to = LongPathForm(targetPath);
    const DWORD start = GetTickCount();
    for (;;) {
        if (steps.rename(from.c_str(), to.c_str())) return true;
        if (!IsTransientReplaceError(GetLastError()) || GetTickCount() - start >= timings.replaceRetryMs)
            return false;
        Wait(timings, nullptr, 100);
    }
}

}  // namespace

bool FlushToDisk(HANDLE file) {
    return FlushFileBuffers(file) != FALSE;
}

bool RenameOver(const wchar_t* staged, const wchar_t* target) {
    return MoveFileExW(staged, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool CloseHostApplication(const InstallTimings& timings) {
    HWND host = ReadWindowRecord(kHostRecordName);
    if (host == nullptr || ProcessOf(host) == GetCurrentProcessId()) {
        LogLine("host: no window of another process published, nothing to close");
        return false;
    }
    UniqueHandle process = OpenProcessOf(host);
    const bool answered = SendCloseRequest(host, timings);
    LogLine("host: close request to window %ld %s", static_cast<long>(reinterpret_cast<INT_PTR>(host)),
            answered ? "answered" : "not answered");
    if (process) {
        const DWORD start = GetTickCount();
        const bool ended = Wait(timings, process.Get(), timings.hostExitTimeoutMs);
        LogLine("host: process %s after %lu ms", ended ? "ended" : "still running",
                static_cast<unsigned long>(GetTickCount() - start));
        return ended;
    }
    // The process cannot be watched: give it the short grace it always had.
    Wait(timings, nullptr, kUnwatchedHostGraceMs);
    return true;
}

namespace {

// The swap of ReplaceTarget; on success the old file stays as the backup beside the target.
InstallResult SwapIn(UniqueHandle download, const std::wstring& targetPath, const InstallTimings& timings,
                     const ReplaceSteps& steps) {
    if (!FileExists(targetPath)) {
        LogLine("replace: no target \"%s\", nothing installed", Utf8(targetPath).c_str());
        return InstallResult::NoTarget;
    }
    Wait(timings, nullptr, timings.settleMs);

    std::wstring staged;
    if (!download || !StageCopy(download.Get(), targetPath, steps, staged)) {
        LogLine("replace: cannot stage the download beside the target, error %lu", GetLastError());
        return InstallResult::StagingFailed;
    }
    StopHereIfTestAsks(kStepStaged);
    if (!MakeBackup(targetPath)) {
        LogLine("replace: target kept, no backup can be made, error %lu", GetLastError());
        DeleteFileW(LongPathForm(staged).c_str());
        return InstallResult::StagingFailed;
    }
    StopHereIfTestAsks(kStepBackedUp);
    if (!MoveOverTarget(staged, targetPath, timings, steps)) {
        LogLine("replace: target kept, error %lu", GetLastError());
        DeleteFileW(LongPathForm(staged).c_str());
        DropBackup(targetPath);
        return InstallResult::ReplaceFailed;
    }
    LogLine("replace: \"%s\" replaced", Utf8(targetPath).c_str());
    // Through the handle: the file deleted is the one that was installed.
    DeleteWhenClosed(download.Get());
    StopHereIfTestAsks(kStepSwapped);
    return InstallResult::Installed;
}

// Starts what was installed. A program that does not come up gives its place back to the backup,
// which is started instead; a data file that nothing opens stays installed, as does a program in
// a place the shell cannot start anything from.
InstallResult StartInstalled(const std::wstring& targetPath, const InstallTimings& timings) {
    Wait(timings, nullptr, timings.settleMs);
    const bool program = IsWindowsImageFile(targetPath);
    const StartResult started = StartProgram(targetPath, program, timings.wait);
    // From a place the shell cannot open, the old program would not start either.
    if (started != StartResult::Failed || !program) {
        DropBackup(targetPath);
        return InstallResult::Installed;
    }
    if (MoveOverTarget(BackupPathFor(targetPath), targetPath, timings, kReplaceSteps)) {
        LogLine("replace: the new program does not start, the old one is back");
        StartProgram(targetPath, false, timings.wait);
    } else {
        LogLine("replace: the new program does not start and the old one cannot be put back, error %lu",
                GetLastError());
    }
    return InstallResult::StartFailed;
}

}  // namespace

InstallResult ReplaceTarget(UniqueHandle download, const std::wstring& targetPath,
                            const InstallTimings& timings, const ReplaceSteps& steps) {
    const InstallResult result = SwapIn(std::move(download), targetPath, timings, steps);
    if (result == InstallResult::Installed) DropBackup(targetPath);
    return result;
}

InstallResult InstallUpdate(UniqueHandle download, const std::wstring& targetPath,
                            const InstallTimings& timings) {
    const bool hostClosed = CloseHostApplication(timings);
    const InstallResult result = SwapIn(std::move(download), targetPath, timings, kReplaceSteps);
    if (result == InstallResult::Installed) return StartInstalled(targetPath, timings);
    // The host was closed for nothing: the user gets the old program back, started as the new one
    // would have been.
    if (hostClosed && result != InstallResult::NoTarget) StartProgram(targetPath, false, timings.wait);
    return result;
}
