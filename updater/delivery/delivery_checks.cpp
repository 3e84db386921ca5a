// libcurl brings winsock2.h, which must precede windows.h.
#include <curl/curl.h>

#include "updater/delivery/delivery_checks.h"

#include "updater/delivery/http_status_text.h"
#include "updater/update_log.h"

DeliveryChecks::DeliveryChecks(const std::string& url)
    : url_(url), fragment_(ParseHashFragment(url, expected_)) {
    if (Refused()) LogLine("hash: malformed fragment, nothing downloaded");
}

int DeliveryChecks::Perform(void* curl) {
    proxy_ = ChooseProxy(url_);
    ApplyProxy(curl, proxy_);
    LogLine("proxy: %s (%s)", proxy_.proxy.empty() ? "direct" : proxy_.proxy.c_str(), proxy_.source.c_str());
    RequireVerifiedTls(curl, url_, &tls_);
    curl_slist* plainOnly = curl_slist_append(nullptr, "Accept-Encoding: identity");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, plainOnly);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(plainOnly);
    return code;
}

void DeliveryChecks::Received(const void* data, size_t size) {
    bytes_ += static_cast<long long>(size);
    if (fragment_ == HashFragment::Sha256) hasher_.Update(data, size);
}

bool DeliveryChecks::HashMatches() {
    Sha256Digest actual = {};
    if (!hasher_.Finish(actual)) {
        LogLine("hash: cannot be computed");
        return false;
    }
    const bool matches = actual == expected_;
    LogLine("hash: %s (expected %s, got %s)", matches ? "match" : "MISMATCH", HexDigest(expected_).c_str(),
            HexDigest(actual).c_str());
    return matches;
}

bool DeliveryChecks::Verdict(void* curlHandle, int curlResult, bool transferOk, const char* refusal) {
    CURL* curl = static_cast<CURL*>(curlHandle);
    long status = 0, proxyStatus = 0, redirects = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &proxyStatus);
    curl_easy_getinfo(curl, CURLINFO_REDIRECT_COUNT, &redirects);
    const char* result = curlResult == CURLE_WRITE_ERROR && refusal != nullptr
                             ? refusal
                             : curl_easy_strerror(static_cast<CURLcode>(curlResult));
    LogLine("transfer: HTTP status %ld (%s), proxy status %ld (%s), %lld bytes, %ld redirects, "
            "curl result %d (%s)",
            status, HttpStatusText(status), proxyStatus, HttpStatusText(proxyStatus), bytes_, redirects,
            curlResult, result);
    if (!transferOk || fragment_ != HashFragment::Sha256) return transferOk;
    return HashMatches();
}
