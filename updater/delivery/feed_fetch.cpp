// libcurl brings winsock2.h, which must precede windows.h.
#include <curl/curl.h>

#include "updater/delivery/feed_fetch.h"

#include <windows.h>

#include "updater/delivery/body_checks.h"
#include "updater/delivery/delivery_checks.h"
#include "updater/delivery/retry_policy.h"
#include "updater/delivery/url_text.h"
#include "updater/update_log.h"

namespace {

struct FeedReceiver {
    std::string* body = nullptr;
    DeliveryChecks* checks = nullptr;  // counts the bytes for the transfer's log line
    size_t maxBytes = 0;
    bool tooLarge = false;
    ResponseHeaders headers;
};

size_t OnFeedChunk(char* data, size_t size, size_t count, void* userdata) {
    auto* receiver = static_cast<FeedReceiver*>(userdata);
    const size_t bytes = size * count;
    if (receiver->body->size() + bytes > receiver->maxBytes) {
        receiver->tooLarge = true;
        return 0;
    }
    receiver->body->append(data, bytes);
    receiver->checks->Received(data, bytes);
    return bytes;
}

long Status(CURL* curl) {
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

void SetFeedOptions(CURL* curl, const std::string& url, long remainingMs, long connectSeconds, FeedReceiver& receiver) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, remainingMs);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadResponseHeaderLine);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &receiver.headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnFeedChunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &receiver);
}

// One attempt. `outcome` tells the retry policy how it ended.
bool FetchOnce(CURL* curl, const std::string& url, long remainingMs, const FeedFetchLimits& limits, std::string& body,
               AttemptOutcome& outcome) {
    body.clear();
    DeliveryChecks checks(url);
    FeedReceiver receiver;
    receiver.body = &body;
    receiver.checks = &checks;
    receiver.maxBytes = limits.maxBytes;
    if (checks.Refused()) return false;
    SetFeedOptions(curl, url, remainingMs, limits.connectTimeoutSeconds, receiver);
    const CURLcode code = static_cast<CURLcode>(checks.Perform(curl));
    if (receiver.tooLarge) LogLine("feed: more than %lu bytes, abandoned", static_cast<unsigned long>(limits.maxBytes));
    const long status = Status(curl);
    const bool plain = IsIdentityCoding(receiver.headers.contentCoding);
    const bool ok = checks.Verdict(curl, code, code == CURLE_OK && status >= 200 && status <= 299 && status != 206 &&
                                                   plain && !body.empty());
    curl_off_t connectTime = 0;
    curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectTime);
    // An error page (almost every real server's 503 has one) is no start of the feed: a busy
    // server is asked again, as for a download.
    const bool feedStarted = !body.empty() && status >= 200 && status <= 299;
    outcome = AttemptOutcome{static_cast<int>(code), status, connectTime > 0, feedStarted,
                             receiver.headers.retryAfterSeconds};
    return ok;
}

long RemainingMs(DWORD start, unsigned long totalMs) {
    const DWORD spent = GetTickCount() - start;
    return spent >= totalMs ? 0 : static_cast<long>(totalMs - spent);
}

}  // namespace

bool FetchFeed(const std::wstring& url, std::string& body, const FeedFetchLimits& limits, std::wstring* finalUrl) {
    if (!IsHttpsUrl(url)) {
        LogLine("feed: REFUSED, the feed URL is not https, nothing requested");
        return false;
    }
    const std::string transferUrl = UrlForTransfer(url);
    curl_global_init(CURL_GLOBAL_ALL);
    CURL* curl = curl_easy_init();
    const DWORD start = GetTickCount();
    bool ok = false;
    for (int attempt = 1; curl != nullptr; ++attempt) {
        AttemptOutcome outcome;
        ok = FetchOnce(curl, transferUrl, RemainingMs(start, limits.totalMs), limits, body, outcome);
        const long delay = ok ? -1 : RetryDelayMs(outcome, attempt);
        // A pause that would end past the deadline leaves no time for the attempt after it.
        if (delay < 0 || delay + 1000 >= RemainingMs(start, limits.totalMs)) break;
        LogLine("retry: attempt %d of %d in %ld ms", attempt + 1, kMaxTransferAttempts, delay);
        Sleep(static_cast<DWORD>(delay));
    }
    char* effective = nullptr;
    if (ok && finalUrl != nullptr && curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
        effective != nullptr) {
        *finalUrl = FromUtf8(effective);
    }
    if (curl != nullptr) curl_easy_cleanup(curl);
    curl_global_cleanup();
    if (!ok) body.clear();
    return ok;
}
