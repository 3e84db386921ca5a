#pragma once
// Installing a downloaded program: ask the running host application to close, swap the new file
// into place without ever leaving the user without a program, and start it. Whatever fails after
// the host was asked to close, the old program is in place in the end and is started again.

#include <windows.h>

#include <string>

#include "ui/util/unique_handle.h"

struct InstallTimings {
    DWORD closeRequestTimeoutMs = 5000;  // a hung host must not hang the updater
    DWORD hostExitTimeoutMs = 10000;     // time a host may take to end after the request
    DWORD settleMs = 100;                // pauses around the swap, as the host may still flush
    DWORD replaceRetryMs = 2000;         // virus scanners hold fresh files for a moment
    // How every wait is done: for the handle (null: only the time), true when it was signalled.
    // The update window passes one that keeps it painting; null waits plainly.
    bool (*wait)(HANDLE handle, DWORD timeoutMs) = nullptr;
};

enum class InstallResult {
    Installed,      // replaced and started
    NoTarget,       // first installation: nothing to replace, nothing done
    StagingFailed,  // the download could not be copied beside the target
    ReplaceFailed,  // the target is still in use or cannot be written; the old file is intact
    StartFailed,    // the new program did not come up; the old one is back in place
};

// The two file-system steps that make a replacement durable and atomic. The program uses
// FlushToDisk and RenameOver; tests put recorders in between to see their order and retries.
struct ReplaceSteps {
    bool (*flush)(HANDLE stagedFile);
    bool (*rename)(const wchar_t* staged, const wchar_t* target);
};
bool FlushToDisk(HANDLE file);
bool RenameOver(const wchar_t* staged, const wchar_t* target);
constexpr ReplaceSteps kReplaceSteps = {FlushToDisk, RenameOver};

// Sends the host application's window (from its shared record) the close request and waits for
// its process to end. Does nothing when the host publishes no record, or when the record names a
// window of this very process (stale or forged: closing it would end the update itself).
// True when a request was sent and the host's process is gone (or cannot be watched): the user
// then has no running program until one is started.
bool CloseHostApplication(const InstallTimings& timings);

// Replaces `targetPath` with the content of the open `download` in one step: a copy made from
// that handle beside the target, flushed to disk, then renamed over the target. The download
// file is deleted once it is installed and stays in place otherwise; the handle is closed.
// Nothing stays beside the target (the backup InstallUpdate keeps is made and dropped here).
InstallResult ReplaceTarget(UniqueHandle download, const std::wstring& targetPath,
                            const InstallTimings& timings, const ReplaceSteps& steps = kReplaceSteps);

// The whole installation of the finished `download` over `targetPath`: the host is closed, the
// old file kept as a backup beside the target until the new program has come up (a program that
// does not come up is replaced by the backup again); the old program is started again whenever
// the host was closed and the new one does not run.
InstallResult InstallUpdate(UniqueHandle download, const std::wstring& targetPath,
                            const InstallTimings& timings = {});
