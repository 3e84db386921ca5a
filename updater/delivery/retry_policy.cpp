// libcurl brings winsock2.h, which must precede windows.h.
#include <curl/curl.h>

#include "updater/delivery/retry_policy.h"

namespace {

bool IsBusyStatus(long status) {
    return status == 502 || status == 503 || status == 504;
}

// The failures that happen before a server has said anything: worth another try.
bool IsPassingNetworkFailure(int curlResult, bool connected) {
    switch (curlResult) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return true;
    case CURLE_OPERATION_TIMEDOUT:
        return !connected;
    default:
        return false;
    }
}

// A successful answer's head came, then the connection broke before any byte of its body: nothing
// of the file arrived, so another attempt starts exactly as the first did.
bool IsCutBeforeBody(const AttemptOutcome& outcome) {
    const bool success = outcome.status >= 200 && outcome.status <= 299 && outcome.status != 206;
    return success && !outcome.bodyStarted &&
           (outcome.curlResult == CURLE_RECV_ERROR || outcome.curlResult == CURLE_PARTIAL_FILE);
}

}  // namespace

long RetryDelayMs(const AttemptOutcome& outcome, int attemptsMade) {
    if (attemptsMade >= kMaxTransferAttempts || outcome.bodyStarted) return -1;
    const bool busy = IsBusyStatus(outcome.status);
    const bool noAnswer =
        outcome.status == 0 && IsPassingNetworkFailure(outcome.curlResult, outcome.connected);
    if (!busy && !noAnswer && !IsCutBeforeBody(outcome)) return -1;
    if (busy && outcome.retryAfterSeconds >= 0) {
        const long seconds =
            outcome.retryAfterSeconds < kMaxRetryAfterSeconds ? outcome.retryAfterSeconds : kMaxRetryAfterSeconds;
        return seconds * 1000;
    }
    return attemptsMade <= 1 ? 1000 : 4000;
}

long ParseRetryAfter(const char* value, unsigned long length) {
    unsigned long at = 0;
    while (at < length && (value[at] == ' ' || value[at] == '\t')) ++at;
    long seconds = 0;
    bool digits = false;
    for (; at < length && value[at] >= '0' && value[at] <= '9'; ++at) {
        if (seconds < 100000) seconds = seconds * 10 + (value[at] - '0');
        digits = true;
    }
    while (at < length && (value[at] == ' ' || value[at] == '\t' || value[at] == '\r' || value[at] == '\n')) ++at;
    return digits && at == length ? seconds : -1;
}
