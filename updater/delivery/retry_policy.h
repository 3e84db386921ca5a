#pragma once
// When a failed transfer is tried again. A Wi-Fi that is just waking up, a reset connection or a
// busy server answering 503 should not cost the user the update, but nothing that reached the
// body, was refused or failed a check is ever repeated: those would only fail again, or worse.

// How one attempt ended, as far as the decision needs to know.
struct AttemptOutcome {
    int curlResult = 0;
    long status = 0;            // the final HTTP status, 0 when no answer came
    bool connected = false;     // a connection to the server (or proxy) stood
    bool bodyStarted = false;   // a byte of a successful answer's body was stored
    long retryAfterSeconds = -1;  // the answer's Retry-After in seconds, -1 when none
};

constexpr int kMaxTransferAttempts = 3;
// A server's Retry-After is honoured up to this long.
constexpr long kMaxRetryAfterSeconds = 30;

// The pause in milliseconds before attempt `attemptsMade + 1`, or -1 when there is none: only an
// attempt that failed before its body began (no connection, a reset or empty reply, a name that
// did not resolve, a time-out while connecting, or 502/503/504) is repeated, at most
// kMaxTransferAttempts in all, about 1 s and then 4 s apart unless the server says otherwise.
long RetryDelayMs(const AttemptOutcome& outcome, int attemptsMade);

// The seconds of a Retry-After header value, -1 unless it is a plain number (the HTTP-date form
// is left to the default pause).
long ParseRetryAfter(const char* value, unsigned long length);
