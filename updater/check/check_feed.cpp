#include "updater/check/check_feed.h"

#include <windows.h>

#include <string_view>

#include "updater/check/check_rules.h"
#include "updater/delivery/feed_fetch.h"
#include "updater/feed/notes_language.h"
#include "updater/feed/relative_url.h"
#include "updater/feed/signed_feed.h"
#include "updater/update_log.h"

namespace {

// The user's UI language as a tag ("zh-CN"), empty when Windows cannot name it.
std::wstring UserUiLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    return LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) > 0 ? std::wstring(name) : std::wstring();
}

// No installed key verified the feed: the clock of the lost-key recovery runs from the first
// such failure. Only once it has run 20 days, and only for a program whose Authenticode
// signature can name its publisher, may the download's own keys carry an update.
bool MayRecoverLostKey(const FeedCheckPlace& place, const InstalledProgram& program, const FeedState& state) {
    if (!state.hasFirstFailure) SaveFirstFeedFailureTime(place.keyPath, place.now);
    const std::int64_t since = state.hasFirstFailure ? place.now - state.firstFeedFailureTime : 0;
    LogLine("feed: REFUSED, no installed key verifies it (first such failure %lld s ago)",
            static_cast<long long>(since));
    if (!LostKeyWaitOver(state, place.now)) return false;
    if (!HasTrustedAuthenticode(program.path)) return false;
    LogLine("feed: lost-key recovery, the download's own keys must verify the feed and the file");
    return true;
}

bool VerifyFeed(const FeedCheckPlace& place, const InstalledProgram& program, const FeedState& state,
                ReceivedFeed& received, std::string_view& signedBytes) {
    int keyIndex = -1;
    const FeedSignatureStatus status = VerifySignedFeed(received.whole, program.keys, signedBytes, &keyIndex);
    if (status == FeedSignatureStatus::Verified) {
        LogLine("feed: signature verified with installed key %d", keyIndex);
        if (state.hasFirstFailure) ClearFirstFeedFailureTime(place.keyPath);
        return true;
    }
    if (status == FeedSignatureStatus::NoKeyVerifies && MayRecoverLostKey(place, program, state)) {
        received.root = FeedRoot::LostKey;
        signedBytes = UnverifiedSignedPart(received.whole);
        return true;
    }
    if (status != FeedSignatureStatus::NoKeyVerifies) LogLine("feed: REFUSED, %s", FeedSignatureStatusText(status));
    return false;
}

bool FreshEnough(const FeedCheckPlace& place, const ReceivedFeed& received, const FeedState& state) {
    const Freshness freshness = JudgeFreshness(received.feed, state, place.now);
    if (freshness == Freshness::Expired) {
        LogLine("feed: REFUSED, expired %lld s ago", static_cast<long long>(place.now - received.feed.expires));
        return false;
    }
    if (freshness == Freshness::Replay) {
        LogLine("feed: REFUSED as a replay, serial %llu%s below the %llu seen",
                static_cast<unsigned long long>(received.feed.serial), received.feed.hasSerial ? "" : " (none)",
                static_cast<unsigned long long>(state.feedSerial));
        return false;
    }
    return true;
}

// Only a feed an installed key verified moves the state on; a lost-key feed is believed later.
void Remember(const FeedCheckPlace& place, const ReceivedFeed& received, const FeedState& state) {
    if (received.root != FeedRoot::InstalledKey) return;
    if (SerialIsNewer(received.feed, state)) SaveFeedSerial(place.keyPath, received.feed.serial);
    SaveLastCheckTime(place.keyPath, place.now);
}

}  // namespace

bool ReceiveFeed(const FeedCheckPlace& place, const InstalledProgram& program, const FeedState& state,
                 ReceivedFeed& received) {
    received.finalUrl = place.url;
    if (!FetchFeed(place.url, received.whole, FeedFetchLimits(), &received.finalUrl)) return false;
    std::string_view signedBytes;
    if (!VerifyFeed(place, program, state, received, signedBytes)) return false;
    const AppcastStatus status = ParseAppcast(signedBytes, received.feed);
    if (status != AppcastStatus::Ok) {
        LogLine("feed: REFUSED, it cannot be read (%s)", status == AppcastStatus::NotWellFormed ? "not well-formed"
                                                          : status == AppcastStatus::NoRss      ? "no <rss>"
                                                                                                : "bad serial or expiry");
        return false;
    }
    if (!FreshEnough(place, received, state)) return false;
    const std::wstring language = UserUiLanguage();
    for (FeedItem& item : received.feed.items) {
        ChooseItemLanguage(item, language);
        item.enclosure.url = ResolveUrl(received.finalUrl, item.enclosure.url);
        for (FeedEnclosure& enclosure : item.enclosures) enclosure.url = ResolveUrl(received.finalUrl, enclosure.url);
        item.releaseNotesLink = ResolveUrl(received.finalUrl, item.releaseNotesLink);
    }
    Remember(place, received, state);
    LogLine("feed: %u item(s), serial %llu", static_cast<unsigned>(received.feed.items.size()),
            static_cast<unsigned long long>(received.feed.serial));
    return true;
}
