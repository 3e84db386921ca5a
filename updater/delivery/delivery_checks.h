#pragma once
// What a transfer checks beyond HTTP itself, gathered in one place: the proxy the user
// configured, the updater's own TLS check, the optional SHA-256 of the URL's fragment, and the
// log lines that tell afterwards what happened.

#include <cstddef>
#include <string>

#include "updater/delivery/integrity.h"
#include "updater/delivery/system_proxy.h"
#include "updater/delivery/tls_verify.h"

class DeliveryChecks {
public:
    explicit DeliveryChecks(const std::string& url);
    DeliveryChecks(const DeliveryChecks&) = delete;
    DeliveryChecks& operator=(const DeliveryChecks&) = delete;

    // True when the transfer must not even start (a hash fragment that cannot be read).
    bool Refused() const { return fragment_ == HashFragment::Malformed; }
    // Runs the transfer on its libcurl handle with the proxy and the TLS check set, asking for the
    // plain bytes only (said outright, so that no server takes the silence for leave to compress).
    // Returns libcurl's result code.
    int Perform(void* curl);
    // Every body byte that is kept passes through here.
    void Received(const void* data, size_t size);
    // The final word on a transfer that libcurl and the HTTP status judged `transferOk`: false
    // too when the expected digest does not match. Logs the outcome; `refusal`, when set, says
    // why the updater itself stopped taking the body (libcurl only knows that a write failed).
    bool Verdict(void* curl, int curlResult, bool transferOk, const char* refusal = nullptr);

private:
    bool HashMatches();

    std::string url_;
    Sha256Digest expected_ = {};  // filled while fragment_ is read, so declared before it
    HashFragment fragment_;
    Sha256 hasher_;
    TlsCheckState tls_;
    ProxyChoice proxy_;
    long long bytes_ = 0;
};
