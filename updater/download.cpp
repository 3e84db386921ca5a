// libcurl brings winsock2.h, which must precede windows.h.
#include <curl/curl.h>

#include "updater/download.h"

#include <process.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "updater/delivery_checks.h"
#include "updater/paths.h"
#include "updater/win_handles.h"

namespace {

const char kErrorPageMarker[] = "<html><head><title>Apache";
constexpr size_t kErrorPageMarkerLength = sizeof kErrorPageMarker - 1;

constexpr long kMaxRedirects = 5;
// Larger receive chunks than libcurl's 16 KiB default: each chunk costs a write call, a marker
// search and a progress message, and this is the size the curl tool itself uses.
constexpr long kChunkBytes = 100 * 1024;
// The file is written through a buffer of several chunks: every write to the file system is a
// costly call (a server round trip under Wine), and an append-mode write also seeks first.
constexpr size_t kFileBufferBytes = 512 * 1024;

bool IsSuccessStatus(long status) { return status >= 200 && status <= 299; }

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

struct TransferContext {
    CURL* curl;
    FILE* file;
    HWND window;
    int lastPercent;
    DeliveryChecks* checks;
};

size_t OnHeaderLine(char*, size_t size, size_t count, void*) { return size * count; }

// Only the body of the final, successful answer is stored: an error page or the body of a
// redirect must never become the program that gets installed.
size_t OnBodyChunk(char* data, size_t size, size_t count, void* userdata) {
    auto* context = static_cast<TransferContext*>(userdata);
    long status = 0;
    curl_easy_getinfo(context->curl, CURLINFO_RESPONSE_CODE, &status);
    const size_t bytes = size * count;
    if (!IsSuccessStatus(status) || ContainsErrorPageMarker(data, bytes)) return 0;
    const size_t written = std::fwrite(data, size, count, context->file);
    if (written == count) context->checks->Received(data, bytes);
    return written;
}

// libcurl reports progress many times per percent; only a new percentage is worth a message,
// each of which costs the UI thread a wake-up and a repaint.
int OnTransferProgress(void* userdata, curl_off_t downloadTotal, curl_off_t downloadNow, curl_off_t, curl_off_t) {
    auto* context = static_cast<TransferContext*>(userdata);
    const int percent = ProgressPercent(static_cast<double>(downloadTotal), static_cast<double>(downloadNow));
    if (percent >= 0 && percent != context->lastPercent) {
        context->lastPercent = percent;
        PostMessageW(context->window, WM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(percent), 0);
    }
    return 0;
}

long long ExistingFileSize(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(path.c_str(), &data));
    if (!find) return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void SetTransferOptions(CURL* curl, const std::string& url, long long resumeFrom, const TransferLimits& limits,
                        TransferContext* context) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kChunkBytes);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeaderLine);
    curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeFrom));
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, context);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBodyChunk);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, context->window != nullptr ? 0L : 1L);
    if (context->window != nullptr) {
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, context);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnTransferProgress);
    }
}

// The worker owns its job outright: the window that started it may be destroyed meanwhile.
unsigned __stdcall DownloadThread(void* parameter) {
    std::unique_ptr<DownloadJob> job(static_cast<DownloadJob*>(parameter));
    const std::string url = ToAnsi(job->url);
    if (job->ownerWindow == nullptr || url.empty() || job->tempPath.empty()) return 0;

    bool succeeded = false;
    if (!job->staleFileKept) {
        curl_global_init(CURL_GLOBAL_ALL);
        CURL* curl = curl_easy_init();
        succeeded = DownloadToFile(curl, job->ownerWindow, url, job->tempPath);
        curl_easy_cleanup(curl);
        curl_global_cleanup();
    }
    SendMessageW(job->ownerWindow, WM_DOWNLOAD_FINISHED, succeeded ? 1 : 0, 0);
    return 0;
}

}  // namespace

std::string ToAnsi(const std::wstring& wide) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], bytes, nullptr, nullptr);
    ansi.resize(std::strlen(ansi.c_str()));
    return ansi;
}

bool ContainsErrorPageMarker(const char* data, size_t size) {
    // The search stops at the first zero byte: a marker behind one belongs to binary data.
    const void* zero = std::memchr(data, '\0', size);
    const char* end = zero ? static_cast<const char*>(zero) : data + size;
    // Every chunk of the download passes through here, so jump between '<' bytes.
    for (const char* at = data; end - at >= static_cast<ptrdiff_t>(kErrorPageMarkerLength); ++at) {
        at = static_cast<const char*>(std::memchr(at, '<', static_cast<size_t>(end - at)));
        if (at == nullptr || end - at < static_cast<ptrdiff_t>(kErrorPageMarkerLength)) return false;
        if (std::memcmp(at, kErrorPageMarker, kErrorPageMarkerLength) == 0) return true;
    }
    return false;
}

int ProgressPercent(double downloadTotal, double downloadNow) {
    // Truncated toward zero, so anything in (-1, 101) lands in 0..100.
    const double quotient = downloadNow / downloadTotal * 100.0;
    if (!std::isfinite(quotient) || quotient <= -1.0 || quotient >= 101.0) return -1;
    return static_cast<int>(quotient);
}

bool DownloadToFile(void* curlHandle, HWND window, const std::string& url, const std::wstring& path,
                    const TransferLimits& limits) {
    CURL* curl = static_cast<CURL*>(curlHandle);
    DeliveryChecks checks(url);
    if (checks.Refused()) return false;
    const long long resumeFrom = ExistingFileSize(path);
    UniqueFile file(_wfopen(path.c_str(), L"ab+"));
    if (!file) return false;

    std::setvbuf(file.get(), nullptr, _IOFBF, kFileBufferBytes);
    TransferContext context{curl, file.get(), window, -1, &checks};
    SetTransferOptions(curl, url, resumeFrom, limits, &context);
    checks.Apply(curl);
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    const bool flushed = std::fflush(file.get()) == 0;
    file.reset();
    // An empty error answer writes no chunk, so the status is checked once more at the end.
    return checks.Verdict(curl, result, result == CURLE_OK && IsSuccessStatus(status) && flushed);
}

bool StartDownload(HWND ownerWindow, const std::wstring& url, const std::wstring& targetPath,
                   DownloadJob& job) {
    job.ownerWindow = ownerWindow;
    job.url = url;
    job.tempPath = TempDownloadPath(targetPath);
    job.staleFileKept = false;

    // A partial file from an earlier run is never continued.
    WIN32_FIND_DATAW data;
    if (UniqueFindHandle(FindFirstFileW(job.tempPath.c_str(), &data))) {
        job.staleFileKept = !DeleteFileW(job.tempPath.c_str());
    }

    auto* copy = new DownloadJob(job);
    const uintptr_t thread = _beginthreadex(nullptr, 0, DownloadThread, copy, 0, nullptr);
    if (thread == 0) {
        delete copy;
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}
