#pragma once
// What `updater-sign sign-feed` does to a feed: the old signature comment taken off, our serial
// raised by one (written as 1 when the feed has none), the expiry set when asked, and the new
// signature comment appended. The feed is rewritten by pugixml, keeping its comments, CDATA,
// white space and line ends; only the serial, the expiry and the namespace declaration change.

#include <cstdint>
#include <string>
#include <string_view>

#include "signing_key.h"

// The feed without a trailing signature comment (the bytes before the last one).
std::string_view WithoutSignature(std::string_view feed);

// The bytes to sign; false with `error` set when the feed is not one the updater would read.
// `expires` is RFC 3339, or empty to keep what the feed has.
bool PrepareFeed(std::string_view feed, const std::wstring& expires, std::string& prepared, std::string& error);

// The comment the updater verifies, for `signedBytes`.
std::string SignatureComment(const Ed25519Seed& seed, std::string_view signedBytes);
