#pragma once
// The check's decisions that need no window, network or registry: whether a check is due, whether
// a verified feed is fresh, when a lost key may be recovered from, and which part of a feed its
// signature covers. Times are seconds since 1970 UTC.

#include <cstdint>
#include <string>
#include <string_view>

#include "updater/feed/appcast.h"
#include "updater/feed/feed_state.h"

constexpr std::int64_t kCheckIntervalSeconds = 24 * 60 * 60;
// How long the installed keys must have failed before the Authenticode root may carry an update.
constexpr std::int64_t kLostKeyWaitSeconds = 20 * 24 * 60 * 60;

// False while the last verified check is younger than the interval (never for --now).
bool CheckIsDue(const FeedState& state, std::int64_t now, bool checkNow);

enum class Freshness {
    Fresh,    // nothing against it; a higher serial is to be kept
    Replay,   // a lower serial than the highest seen: an old feed sent again
    Expired,  // its upd:expires lies in the past
};
Freshness JudgeFreshness(const AppcastFeed& feed, const FeedState& state, std::int64_t now);
// Whether the feed's serial is to be kept as the new highest.
bool SerialIsNewer(const AppcastFeed& feed, const FeedState& state);

// True once the first failure of every installed key lies kLostKeyWaitSeconds or more back.
bool LostKeyWaitOver(const FeedState& state, std::int64_t now);

// The bytes a signed feed's signature covers (before its last signature block), or the whole
// text when it has none. Only for choosing an offer in the lost-key case: those bytes are
// believed only once the download's own keys verify the feed.
std::string_view UnverifiedSignedPart(std::string_view whole);

// The version the user is shown: the short display version, else the version itself.
std::wstring DisplayVersion(const FeedItem& item);
