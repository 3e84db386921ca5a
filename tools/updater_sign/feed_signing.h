#pragma once
// What `updater-sign sign-feed` does to a feed: the old signature comment taken off, our serial
// set (by default the signing time, so each publication is higher without any state kept beside
// the feed, even one made again from a template), the expiry set, kept or removed, and the new
// signature comment appended. A feed that would be dead on arrival (an expiry past or within the
// hour) is refused rather than published. The feed is rewritten by pugixml, keeping its comments, CDATA,
// white space and line ends; only the serial, the expiry and the namespace declaration change.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "signing_key.h"

// The feed without a trailing signature comment (the bytes before the last one).
std::string_view WithoutSignature(std::string_view feed);

struct FeedSigningOptions {
    std::wstring expires;                 // RFC 3339; empty: keep the feed's own while it lies ahead
    bool noExpires = false;               // take <upd:expires> out
    std::optional<std::uint64_t> serial;  // the vendor's own; none: the signing time
    std::int64_t now = 0;                 // the signing time, seconds since 1970 UTC
};

// How far ahead an expiry must lie when the feed is signed.
constexpr std::int64_t kMinimumExpiryLeadSeconds = 3600;

// The bytes to sign; false with `error` set when the feed is not one the updater would read or
// the options would publish a feed clients refuse.
bool PrepareFeed(std::string_view feed, const FeedSigningOptions& options, std::string& prepared, std::string& error);

// The comment the updater verifies, for `signedBytes`.
std::string SignatureComment(const Ed25519Seed& seed, std::string_view signedBytes);
