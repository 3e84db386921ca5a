#include "updater/check/check_rules.h"

bool CheckIsDue(const FeedState& state, std::int64_t now, bool checkNow) {
    if (checkNow || !state.hasLastCheck) return true;
    return now - state.lastCheckTime >= kCheckIntervalSeconds;
}

Freshness JudgeFreshness(const AppcastFeed& feed, const FeedState& state, std::int64_t now) {
    if (feed.hasExpires && feed.expires <= now) return Freshness::Expired;
    // A feed without a serial after one with it would let an attacker replay an old tool's feed.
    if (state.hasFeedSerial && (!feed.hasSerial || feed.serial < state.feedSerial)) return Freshness::Replay;
    return Freshness::Fresh;
}

bool SerialIsNewer(const AppcastFeed& feed, const FeedState& state) {
    return feed.hasSerial && (!state.hasFeedSerial || feed.serial > state.feedSerial);
}

bool LostKeyWaitOver(const FeedState& state, std::int64_t now) {
    return state.hasFirstFailure && now - state.firstFeedFailureTime >= kLostKeyWaitSeconds;
}

std::string_view UnverifiedSignedPart(std::string_view whole) {
    static const std::string_view kBlock = "<!-- sparkle-signatures:\n";
    const size_t at = whole.rfind(kBlock);
    return at == std::string_view::npos ? whole : whole.substr(0, at);
}

std::wstring DisplayVersion(const FeedItem& item) {
    return item.shortVersion.empty() ? item.version : item.shortVersion;
}
