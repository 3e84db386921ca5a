#pragma once
// The download: one HTTP transfer through libcurl on a worker thread, streamed into a file in
// the temporary folder. The worker talks to the update window only through messages:
// WM_DOWNLOAD_PROGRESS (posted, wParam = 0..100) and, once at the end, WM_DOWNLOAD_FINISHED
// (sent, wParam 1 = success, 0 = failure).

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include "ui/util/unique_handle.h"
#include "updater/delivery/body_checks.h"
#include "updater/delivery/download_rules.h"
#include "updater/delivery/retry_policy.h"
#include "updater/delivery/url_text.h"

constexpr UINT WM_DOWNLOAD_FINISHED = 2038;  // wParam: the DownloadOutcome
constexpr UINT WM_DOWNLOAD_PROGRESS = 2039;

// How a download ended, as WM_DOWNLOAD_FINISHED carries it: the user is told which trust rule
// refused a download, and any other failure is a failure of the download.
enum class DownloadOutcome : WPARAM {
    Failed = 0,
    Succeeded = 1,
    SignatureRefused = 2,  // the feed's Ed25519 signature of the file does not verify
    PublisherRefused = 3,  // the publisher pin refused the file
};

struct DownloadJob {
    HWND ownerWindow = nullptr;
    std::wstring url;
    std::wstring tempPath;
    // The download file, created fresh by this run and held open until the installation has
    // copied it, so that no other process can write, rename or delete it meanwhile. Invalid when
    // it could not be created (the download then fails without a transfer).
    UniqueHandle file;
    // Set by a window that closes while the worker runs: the transfer aborts at its next
    // progress call and no outcome is sent.
    std::shared_ptr<std::atomic<bool>> cancelled;
    // Set before StartDownload when a signed feed offered the file: its rules then decide too.
    // Null in the two-argument mode.
    std::shared_ptr<const DownloadRules> rules;
};

// Prepares `job` for `targetPath` (temporary path, removal of a stale file, creation of the
// download file) and starts a worker with its own copy of what it needs, so the window may go
// away while the worker runs. Every started worker reports one outcome to `ownerWindow`.
// A worker whose job was cancelled reports nothing. `worker` receives the thread's handle when
// given, for waiting on its end. Returns false when no worker could be started (nothing will be
// reported then).
bool StartDownload(HWND ownerWindow, const std::wstring& url, const std::wstring& targetPath,
                   DownloadJob& job, UniqueHandle* worker = nullptr);

// How long a transfer may wait: for the connection, and for any byte while connected (a server
// that stops sending must not leave the updater waiting forever).
struct TransferLimits {
    long connectTimeoutSeconds = 10;
    long stallSeconds = 60;
    // The transfer gives up at the first body byte beyond this many; 0: no bound.
    unsigned long long maxBodyBytes = 0;
};

// What one transfer stored: whether the whole body of a 2xx answer arrived and was written, the
// body's length and first bytes, and how the attempt ended (for the decision on a retry).
struct TransferResult {
    bool complete = false;
    BodyStart body;
    AttemptOutcome attempt;
};

// Runs the transfer from byte 0 into the open `file` (at its file position), posting progress to
// `window` when it is not null. Only the plain bytes are stored: an answer in a content coding
// (gzip, ...) fails, as none is asked for. Nothing received for `stallSeconds` fails it too.
// A set `cancelled` flag aborts the transfer at its next progress call (libcurl makes one at least once a second, even while nothing arrives).
TransferResult TransferToFile(void* curlHandle, HWND window, const std::string& url, HANDLE file,
                              const TransferLimits& limits = TransferLimits(),
                              const std::atomic<bool>* cancelled = nullptr);

// Creates `path` fresh (failing, without a transfer, when something is there) and runs the
// transfer into it. True exactly when the whole, non-empty body of a 2xx answer was stored.
bool DownloadToFile(void* curlHandle, HWND window, const std::string& url, const std::wstring& path,
                    const TransferLimits& limits = TransferLimits());

// downloadNow / downloadTotal as a whole percentage, or -1 when it is not one of 0..100
// (unknown total, or more received than announced).
int ProgressPercent(double downloadTotal, double downloadNow);
