#pragma once
// Installing a downloaded program as one transaction: stage the new file beside the target, back
// the old one up, close the programs that hold the target, swap, start the new program, clean up.
// A journal beside the target says how far it got; a step that fails walks the steps taken back
// in reverse, and so does the next run after an interruption. Whatever fails after the target's
// programs were closed, the old program is in place in the end and is started again.

#include <windows.h>

#include <string>

#include "ui/util/unique_handle.h"

struct InstallTimings {
    DWORD closeRequestTimeoutMs = 5000;  // a hung host must not hang the updater
    DWORD hostExitTimeoutMs = 10000;     // time a host may take to end after the request
    DWORD settleMs = 100;                // pauses around the swap, as the host may still flush
    DWORD replaceRetryMs = 2000;         // virus scanners hold fresh files for a moment
};

enum class InstallResult {
    Installed,      // replaced and started
    NoTarget,       // first installation: nothing to replace, nothing done
    StagingFailed,  // the download could not be copied beside the target, or backed up, or journaled
    ReplaceFailed,  // the target is still in use or cannot be written; the old file is intact
    StartFailed,    // the new program did not come up; the old one is back in place (or will be)
    Cancelled,      // a program of the target did not close and the user chose to keep it running
};

// The steps of an installation, in their order, as the update window shows them.
enum class InstallStage { Stage, BackUp, CloseHost, Swap, Start, CleanUp };

enum class HostWait;

// Told each step as it begins, on the installing thread; asked, when a program of the target is
// still running after the close request and its time, whether to wait for it (no such question:
// the swap is tried anyway and fails while the program holds the file).
struct InstallObserver {
    void (*stepBegun)(InstallStage stage, void* context) = nullptr;
    HostWait (*programsStillRun)(const std::wstring& target, void* context) = nullptr;
    void* context = nullptr;
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

// Replaces `targetPath` with the content of the open `download` (stage, back up, swap, clean up;
// no program is closed or started). The download file is deleted once it is installed and stays
// in place otherwise; the handle is closed. Nothing stays beside the target.
InstallResult ReplaceTarget(UniqueHandle download, const std::wstring& targetPath,
                            const InstallTimings& timings, const ReplaceSteps& steps = kReplaceSteps);

// The whole installation of the finished `download` over `targetPath`, every step of it. Runs
// for seconds (the host's exit, the start watch): call it from a thread of its own.
// `oldProgramClosed`: an earlier, interrupted run closed the old program; should this one fail,
// the old program is started again although this run closed nothing.
InstallResult InstallUpdate(UniqueHandle download, const std::wstring& targetPath,
                            const InstallTimings& timings = {}, const InstallObserver& observer = {},
                            bool oldProgramClosed = false);
