#pragma once
// The download: one HTTP transfer through libcurl on a worker thread, streamed into a file in
// the temporary folder. The worker talks to the update window only through messages:
// WM_DOWNLOAD_PROGRESS (posted, wParam = 0..100) and, once at the end, WM_DOWNLOAD_FINISHED
// (sent, wParam 1 = success, 0 = failure).

#include <windows.h>

#include <cstddef>
#include <string>

constexpr UINT WM_DOWNLOAD_FINISHED = 2038;
constexpr UINT WM_DOWNLOAD_PROGRESS = 2039;

struct DownloadJob {
    HWND ownerWindow = nullptr;
    std::wstring url;
    std::wstring tempPath;
    // Set when a file from an earlier run sits at tempPath and cannot be deleted: its old bytes
    // must never be continued and installed, so the download fails without a transfer.
    bool staleFileKept = false;
};

// Prepares `job` for `targetPath` (temporary path, removal of a stale file) and starts a worker
// with its own copy of the job, so the window may go away while the worker runs. Returns false
// when no worker could be started (nothing will be reported then).
bool StartDownload(HWND ownerWindow, const std::wstring& url, const std::wstring& targetPath,
                   DownloadJob& job);

// How long a transfer may wait: for the connection, and for any byte while connected (a server
// that stops sending must not leave the updater waiting forever).
struct TransferLimits {
    long connectTimeoutSeconds = 10;
    long stallSeconds = 60;
};

// Runs the transfer into `path` (appending to what is there), posting progress to `window` when
// it is not null. True exactly when the whole body of a 2xx answer was stored.
bool DownloadToFile(void* curlHandle, HWND window, const std::string& url, const std::wstring& path,
                    const TransferLimits& limits = TransferLimits());

// Wide to ANSI code page text, cut at its first zero byte.
std::string ToAnsi(const std::wstring& wide);

// An Apache error page sent with a success status; its start marks a body that must not be stored.
bool ContainsErrorPageMarker(const char* data, size_t size);

// downloadNow / downloadTotal as a whole percentage, or -1 when it is not one of 0..100
// (unknown total, or more received than announced).
int ProgressPercent(double downloadTotal, double downloadNow);
