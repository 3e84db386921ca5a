#pragma once
// Installing a downloaded program: ask the running host application to close, swap the new file
// into place without ever leaving the user without a program, and start it.

#include <windows.h>

#include <string>

struct InstallTimings {
    DWORD closeRequestTimeoutMs = 5000;  // a hung host must not hang the updater
    DWORD hostExitTimeoutMs = 10000;     // time a host may take to end after the request
    DWORD settleMs = 100;                // pauses around the swap, as the host may still flush
    DWORD replaceRetryMs = 2000;         // virus scanners hold fresh files for a moment
};

enum class InstallResult {
    Installed,        // replaced and started
    NoTarget,         // first installation: nothing to replace, nothing done
    StagingFailed,    // the download could not be copied beside the target
    ReplaceFailed,    // the target is still in use or cannot be written; the old file is intact
};

// Sends the host application's window (from its shared record) the close request and waits for
// its process to end. Does nothing when the host publishes no record.
void CloseHostApplication(const InstallTimings& timings);

// Replaces `targetPath` with `downloadPath` in one step through a staged copy in the target's
// folder. The download stays where it is unless the replacement succeeded.
InstallResult ReplaceTarget(const std::wstring& downloadPath, const std::wstring& targetPath,
                            const InstallTimings& timings);

// The whole installation for a finished download of `targetPath`; starts the new program.
InstallResult InstallUpdate(const std::wstring& targetPath, const InstallTimings& timings = {});
