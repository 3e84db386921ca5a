#include "updater/install.h"

#include <shellapi.h>

#include "updater/paths.h"
#include "updater/update_log.h"
#include "updater/win_handles.h"
#include "updater/window_record.h"

namespace {

constexpr DWORD kUnwatchedHostGraceMs = 500;

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The host's process, opened before the close request: a host that handles SC_CLOSE destroys
// its window at once, and afterwards the window no longer tells whose process it was.
UniqueHandle OpenProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == 0 || processId == GetCurrentProcessId()) return UniqueHandle();
    return UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, processId));
}

// A unique empty file in the target's folder, so the final swap is a rename on one volume.
std::wstring CreateStagingFile(const std::wstring& targetPath) {
    std::wstring folder = FolderOf(targetPath);
    if (folder.empty()) folder = L".\\";
    wchar_t staged[MAX_PATH + 1] = {};
    if (GetTempFileNameW(folder.c_str(), L"upd", 0, staged) == 0) return std::wstring();
    return staged;
}

bool IsTransientShareError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool MoveOverTarget(const std::wstring& staged, const std::wstring& targetPath, DWORD retryMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (MoveFileExW(staged.c_str(), targetPath.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        if (!IsTransientShareError(GetLastError()) || GetTickCount() - start >= retryMs) return false;
        Sleep(100);
    }
}

}  // namespace

void CloseHostApplication(const InstallTimings& timings) {
    HWND host = ReadWindowRecord(kHostRecordName);
    if (host == nullptr) {
        LogLine("host: no window published, nothing to close");
        return;
    }
    UniqueHandle process = OpenProcessOf(host);
    DWORD_PTR ignored = 0;
    const bool answered = SendMessageTimeoutW(host, WM_SYSCOMMAND, SC_CLOSE, 1, SMTO_ABORTIFHUNG,
                                              timings.closeRequestTimeoutMs, &ignored) != 0;
    LogLine("host: close request to window %ld %s", static_cast<long>(reinterpret_cast<INT_PTR>(host)),
            answered ? "answered" : "not answered");
    if (process) {
        const DWORD start = GetTickCount();
        const bool ended = WaitForSingleObject(process.Get(), timings.hostExitTimeoutMs) == WAIT_OBJECT_0;
        LogLine("host: process %s after %lu ms", ended ? "ended" : "still running",
                static_cast<unsigned long>(GetTickCount() - start));
    } else {
        // The process cannot be watched: give it the short grace it always had.
        Sleep(kUnwatchedHostGraceMs);
    }
}

InstallResult ReplaceTarget(const std::wstring& downloadPath, const std::wstring& targetPath,
                            const InstallTimings& timings) {
    if (!FileExists(targetPath)) {
        LogLine("replace: no target \"%s\", nothing installed", Utf8(targetPath).c_str());
        return InstallResult::NoTarget;
    }
    Sleep(timings.settleMs);

    const std::wstring staged = CreateStagingFile(targetPath);
    if (staged.empty() || !CopyFileW(downloadPath.c_str(), staged.c_str(), FALSE)) {
        LogLine("replace: cannot stage the download beside the target, error %lu", GetLastError());
        if (!staged.empty()) DeleteFileW(staged.c_str());
        return InstallResult::StagingFailed;
    }
    if (!MoveOverTarget(staged, targetPath, timings.replaceRetryMs)) {
        LogLine("replace: target kept, error %lu", GetLastError());
        DeleteFileW(staged.c_str());
        return InstallResult::ReplaceFailed;
    }
    LogLine("replace: \"%s\" replaced", Utf8(targetPath).c_str());
    DeleteFileW(downloadPath.c_str());
    return InstallResult::Installed;
}

InstallResult InstallUpdate(const std::wstring& targetPath, const InstallTimings& timings) {
    CloseHostApplication(timings);
    const InstallResult result = ReplaceTarget(TempDownloadPath(targetPath), targetPath, timings);
    if (result != InstallResult::Installed) return result;
    Sleep(timings.settleMs);
    const INT_PTR started =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", targetPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // ShellExecute reports success as a value above 32.
    LogLine("relaunch: %s (result %ld)", started > 32 ? "started" : "failed", static_cast<long>(started));
    return InstallResult::Installed;
}
