// libcurl brings winsock2.h, which must precede windows.h.
#include <curl/curl.h>

#include "updater/delivery/download.h"

#include <process.h>

#include <cmath>
#include <memory>
#include <new>

#include "updater/delivery/delivery_checks.h"
#include "updater/delivery/download_file.h"
#include "updater/delivery/retry_policy.h"
#include "updater/package/release_files.h"
#include "updater/paths.h"
#include "updater/test_hooks.h"
#include "updater/trust/publisher_pin.h"
#include "updater/update_log.h"

namespace {

constexpr long kMaxRedirects = 5;
// Larger receive chunks than libcurl's 16 KiB default: each chunk costs a write call, a marker
// search and a progress message, and this is the size the curl tool itself uses.
constexpr long kChunkBytes = 100 * 1024;

// The transfer always starts at byte 0, so a partial answer (206) is never the whole program.
bool IsSuccessStatus(long status) {
    return status >= 200 && status <= 299 && status != 206;
}

long ResponseStatus(CURL* curl) {
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

struct TransferContext {
    CURL* curl;
    FileWriter* writer;
    HWND window;
    int lastPercent;
    ErrorPageScanner errorPage;
    BodyStart body;
    DeliveryChecks* checks;
    const std::atomic<bool>* cancelled;
    ResponseHeaders headers;
    DWORD stallMs;
    curl_off_t lastReceived;
    DWORD lastReceivedAt;
    bool stalled;
    const char* refusal;  // why a body chunk was not taken, for the log
    unsigned long long maxBodyBytes;
    bool overLimit;
};

// Stops the transfer (libcurl then reports a failed write) and notes the real reason.
size_t Refuse(TransferContext* context, const char* why) {
    context->refusal = why;
    return 0;
}

// Only the body of the final, successful answer is stored: an error page or the body of a
// redirect must never become the program that gets installed.
size_t OnBodyChunk(char* data, size_t size, size_t count, void* userdata) {
    auto* context = static_cast<TransferContext*>(userdata);
    const size_t bytes = size * count;
    if (!IsSuccessStatus(ResponseStatus(context->curl)))
        return Refuse(context, "no successful answer, body not stored");
    if (context->errorPage.Found(data, bytes)) return Refuse(context, "the body is a server's error page");
    // Only the plain bytes were asked for: encoded ones would be installed as they are.
    if (!IsIdentityCoding(context->headers.contentCoding)) return Refuse(context, "content coding refused");
    if (context->maxBodyBytes != 0 && context->body.Size() + bytes > context->maxBodyBytes) {
        context->overLimit = true;
        return Refuse(context, "more bytes than the limit");
    }
    context->body.Add(data, bytes);
    if (!context->writer->Write(data, bytes)) return Refuse(context, "the download file cannot be written");
    context->checks->Received(data, bytes);
    return bytes;
}

// libcurl reports progress many times per percent; only a new percentage is worth a message,
// each of which costs the UI thread a wake-up and a repaint.
int OnTransferProgress(void* userdata, curl_off_t downloadTotal, curl_off_t downloadNow, curl_off_t,
                       curl_off_t) {
    auto* context = static_cast<TransferContext*>(userdata);
    if (context->cancelled != nullptr && context->cancelled->load()) return 1;  // aborts the transfer
    // The stall is measured here rather than by libcurl's speed limit, which averages over its
    // last seconds and so gives up several seconds late.
    const DWORD now = GetTickCount();
    if (downloadNow != context->lastReceived) {
        context->lastReceived = downloadNow;
        context->lastReceivedAt = now;
    } else if (now - context->lastReceivedAt >= context->stallMs) {
        context->stalled = true;
        return 1;
    }
    const int percent = ProgressPercent(static_cast<double>(downloadTotal), static_cast<double>(downloadNow));
    if (context->window != nullptr && percent >= 0 && percent != context->lastPercent) {
        context->lastPercent = percent;
        PostMessageW(context->window, WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(percent), 0);
    }
    return 0;
}

void SetConnectionOptions(CURL* curl, const std::string& url, const TransferLimits& limits) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
}

void SetReceiveOptions(CURL* curl, TransferContext* context) {
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kChunkBytes);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadResponseHeaderLine);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &context->headers);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, context);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBodyChunk);
    // Always on: it measures the stall as well.
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, context);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnTransferProgress);
}

void LogTransferRefusals(const TransferContext& context, const TransferLimits& limits) {
    if (!IsIdentityCoding(context.headers.contentCoding))
        LogLine("transfer: content coding \"%s\" refused, only plain bytes are installed",
                context.headers.contentCoding.c_str());
    if (context.stalled) LogLine("transfer: nothing received for %ld s, given up", limits.stallSeconds);
    if (context.overLimit) LogLine("transfer: more than %llu bytes, given up", limits.maxBodyBytes);
}

AttemptOutcome Outcome(CURL* curl, CURLcode code, const TransferContext& context) {
    AttemptOutcome outcome;
    outcome.curlResult = code;
    outcome.status = ResponseStatus(curl);
    curl_off_t connectTime = 0;
    curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectTime);
    outcome.connected = connectTime > 0;
    outcome.bodyStarted = context.body.Size() > 0;
    outcome.retryAfterSeconds = context.headers.retryAfterSeconds;
    return outcome;
}

// Empties the download file for another attempt, which starts from byte 0 like the first.
bool RestartFile(HANDLE file) {
    LARGE_INTEGER start = {};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// Waits `ms` unless the window closes meanwhile. False when it did.
bool PauseUnlessCancelled(long ms, const std::atomic<bool>* cancelled) {
    for (long waited = 0; waited < ms; waited += 100) {
        if (cancelled != nullptr && cancelled->load()) return false;
        Sleep(100);
    }
    return cancelled == nullptr || !cancelled->load();
}

// Runs up to kMaxTransferAttempts transfers into `file`, as the retry policy allows.
TransferResult TransferWithRetries(CURL* curl, HWND window, const std::string& url, HANDLE file,
                                   const TransferLimits& limits, const std::atomic<bool>* cancelled) {
    for (int attempt = 1;; ++attempt) {
        const TransferResult result = TransferToFile(curl, window, url, file, limits, cancelled);
        long delay = result.complete ? -1 : RetryDelayMs(result.attempt, attempt);
        if (delay < 0) return result;
        delay = static_cast<long>(TestShortenedMs(kTestRetryPauseVariable, static_cast<DWORD>(delay)));
        LogLine("retry: attempt %d of %d in %ld ms", attempt + 1, kMaxTransferAttempts, delay);
        if (!PauseUnlessCancelled(delay, cancelled) || !RestartFile(file)) return result;
    }
}

// What the worker needs, owned by the worker: the window that started it may be destroyed
// meanwhile, closing its own handle to the file.
struct WorkerJob {
    HWND ownerWindow;
    std::wstring url;
    std::wstring targetPath;
    UniqueHandle file;
    std::shared_ptr<std::atomic<bool>> cancelled;
    std::shared_ptr<const DownloadRules> rules;
};

// A feed's enclosure goes out only over https; the rules then also bound the transfer.
bool MayTransfer(const WorkerJob& job, TransferLimits& limits) {
    if (!job.rules) return true;
    if (!IsHttpsUrl(job.url)) {
        LogLine("download: REFUSED, the enclosure URL is not https, nothing requested");
        return false;
    }
    limits.maxBodyBytes = job.rules->ByteLimit();
    return true;
}

// A whole-folder installation (a launcher beside `current`) takes a package and only a package:
// a single program over the launcher would lose the layout.
bool BodyFitsLayout(const WorkerJob& job, const TransferResult& result, bool& package) {
    package = IsReleaseLayout(job.targetPath);
    if (package) {
        if (!result.body.IsZip()) LogLine("download: REFUSED, a whole-folder release takes a package zip");
        return result.body.IsZip();
    }
    if (BodyFitsTarget(result.body, IsWindowsImageFile(job.targetPath))) return true;
    // A whole-folder package never replaces one program file: that would leave the program's
    // path holding a zip.
    if (result.body.IsZip()) {
        LogLine("download: REFUSED, a zip archive cannot replace the program file");
    } else {
        LogLine("download: REFUSED, the body (%llu bytes) cannot replace the program: %s", result.body.Size(),
                result.body.Size() == 0 ? "it is empty" : "the program is a Windows image and the body is not");
    }
    return false;
}

// The checks on the stored file, in order of cost; the feed's rules come before the publisher,
// whose verdict depends on which root carries the release.
DownloadOutcome DownloadVerdict(const WorkerJob& job, const TransferResult& result) {
    if (!result.complete) return DownloadOutcome::Failed;
    const std::wstring path = TempDownloadPath(job.targetPath);
    bool signatureRefused = false;
    if (job.rules && !job.rules->Allows(job.file.Get(), path, result.body.Size(), &signatureRefused)) {
        return signatureRefused ? DownloadOutcome::SignatureRefused : DownloadOutcome::Failed;
    }
    const bool replaces = !job.rules || job.rules->ReplacesTarget();
    bool package = false;
    if (replaces && !BodyFitsLayout(job, result, package)) return DownloadOutcome::Failed;
    // A package's files are vouched for by its signed manifest, and its main program is held to
    // the publisher pin once unpacked, before the switch.
    if (package) return DownloadOutcome::Succeeded;
    // Only a release carried by an installed Ed25519 key may move the publisher pin.
    const bool subjectMayChange = job.rules && job.rules->SubjectMayChange();
    return PublisherAllows(job.file.Get(), path, job.targetPath, subjectMayChange) ? DownloadOutcome::Succeeded
                                                                                 : DownloadOutcome::PublisherRefused;
}

DownloadOutcome RunDownload(const WorkerJob& job) {
    const std::string url = UrlForTransfer(job.url);
    if (url.empty() || !job.file) {
        LogLine("download: no transfer (%s)", url.empty() ? "empty URL" : "the download file cannot be created");
        return DownloadOutcome::Failed;
    }
    TransferLimits limits;
    if (!MayTransfer(job, limits)) return DownloadOutcome::Failed;
    curl_global_init(CURL_GLOBAL_ALL);
    CURL* curl = curl_easy_init();
    const TransferResult result =
        TransferWithRetries(curl, job.ownerWindow, url, job.file.Get(), limits, job.cancelled.get());
    curl_easy_cleanup(curl);
    curl_global_cleanup();
    return DownloadVerdict(job, result);
}

unsigned __stdcall DownloadThread(void* parameter) {
    std::unique_ptr<WorkerJob> job(static_cast<WorkerJob*>(parameter));
    if (job->ownerWindow == nullptr) return 0;
    const DownloadOutcome outcome = RunDownload(*job);
    const bool succeeded = outcome == DownloadOutcome::Succeeded;
    // A failed download is removed before anyone hears of the failure: the window holds its own
    // handle for seconds more, and an update asked for meanwhile needs the file's name.
    if (!succeeded && job->file) DiscardDownload(job->file.Get(), TempDownloadPath(job->targetPath));
    // The window's own handle keeps the file until it is installed; this one is done with.
    job->file.Reset();
    // A window that closed meanwhile wants no outcome; it deletes the partial file itself.
    if (job->cancelled && job->cancelled->load()) {
        LogLine("download: cancelled, the window closed");
        return 0;
    }
    SendMessageW(job->ownerWindow, WM_DOWNLOAD_FINISHED, static_cast<WPARAM>(outcome), 0);
    return 0;
}

}  // namespace

int ProgressPercent(double downloadTotal, double downloadNow) {
    // Truncated toward zero, so anything in (-1, 101) lands in 0..100.
    const double quotient = downloadNow / downloadTotal * 100.0;
    if (!std::isfinite(quotient) || quotient <= -1.0 || quotient >= 101.0) return -1;
    return static_cast<int>(quotient);
}

TransferResult TransferToFile(void* curlHandle, HWND window, const std::string& url, HANDLE file,
                              const TransferLimits& limits, const std::atomic<bool>* cancelled) {
    CURL* curl = static_cast<CURL*>(curlHandle);
    DeliveryChecks checks(url);
    FileWriter writer(file);
    if (checks.Refused() || !writer.Ready()) return TransferResult();
    TransferContext context{curl,      &writer, window, -1, ErrorPageScanner(), BodyStart(),
                            &checks,   cancelled, ResponseHeaders(), static_cast<DWORD>(limits.stallSeconds) * 1000,
                            -1,        GetTickCount(), false, nullptr, limits.maxBodyBytes, false};
    SetConnectionOptions(curl, url, limits);
    SetReceiveOptions(curl, &context);
    const CURLcode code = static_cast<CURLcode>(checks.Perform(curl));
    const bool stored = writer.Flush();
    LogTransferRefusals(context, limits);
    TransferResult result;
    // An empty error answer writes no chunk, so the status is checked once more at the end.
    const bool transferred = code == CURLE_OK && IsSuccessStatus(ResponseStatus(curl)) && stored &&
                             IsIdentityCoding(context.headers.contentCoding);
    result.complete = checks.Verdict(curl, code, transferred, context.refusal);
    result.body = context.body;
    result.attempt = Outcome(curl, code, context);
    return result;
}

bool DownloadToFile(void* curlHandle, HWND window, const std::string& url, const std::wstring& path,
                    const TransferLimits& limits) {
    const UniqueHandle file = CreateDownloadFile(path);
    if (!file) return false;
    const TransferResult result = TransferToFile(curlHandle, window, url, file.Get(), limits);
    return result.complete && BodyFitsTarget(result.body, false);
}

bool StartDownload(HWND ownerWindow, const std::wstring& url, const std::wstring& targetPath,
                   DownloadJob& job, UniqueHandle* workerThread) {
    job.ownerWindow = ownerWindow;
    job.url = url;
    job.tempPath = TempDownloadPath(targetPath);
    RemoveStaleFile(job.tempPath);
    job.file = CreateDownloadFile(job.tempPath);
    job.cancelled.reset(new (std::nothrow) std::atomic<bool>(false));

    auto* worker =
        new (std::nothrow) WorkerJob{ownerWindow, url, targetPath, DuplicateFileHandle(job.file.Get()), job.cancelled,
                                     job.rules};
    if (worker == nullptr) return false;
    const uintptr_t thread = _beginthreadex(nullptr, 0, DownloadThread, worker, 0, nullptr);
    if (thread == 0) {
        delete worker;
        return false;
    }
    if (workerThread != nullptr) {
        workerThread->Reset(reinterpret_cast<HANDLE>(thread));
    } else {
        CloseHandle(reinterpret_cast<HANDLE>(thread));
    }
    return true;
}
