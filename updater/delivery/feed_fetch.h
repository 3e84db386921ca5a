#pragma once
// Fetching an update feed into memory. A feed is small and read at once, so it never touches the
// disk; it gets the same proxy, TLS check and bounded retry as a download, but only over https
// (redirects included), with a size bound and one deadline for the whole fetch.

#include <string>

struct FeedFetchLimits {
    size_t maxBytes = 1024 * 1024;     // the fetch is abandoned at the byte after these
    unsigned long totalMs = 60000;     // every attempt and pause included
    long connectTimeoutSeconds = 10;
};

// True when a 2xx answer's whole, plain body arrived within the limits; `body` holds it, and
// `finalUrl` (when given) the URL that answered, after redirects. Any other URL than https is
// refused without a request. Every attempt and retry is logged.
bool FetchFeed(const std::wstring& url, std::string& body, const FeedFetchLimits& limits = FeedFetchLimits(),
               std::wstring* finalUrl = nullptr);
