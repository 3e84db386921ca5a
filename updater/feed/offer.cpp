#include "updater/feed/offer.h"

#include <windows.h>

#include "updater/feed/version_compare.h"

namespace {

bool SameAscii(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y) return false;
    }
    return true;
}

// An os value this updater does not know is no match: it may name a system the item was built
// for, and an update for the wrong system fails only after the download.
bool MatchesMachine(const std::wstring& os, std::uint16_t machine) {
    if (os.empty() || SameAscii(os, L"windows")) return true;
    if (SameAscii(os, L"windows-x86")) return machine == IMAGE_FILE_MACHINE_I386;
    if (SameAscii(os, L"windows-x64")) return machine == IMAGE_FILE_MACHINE_AMD64;
    if (SameAscii(os, L"windows-arm64")) return machine == 0xAA64;  // IMAGE_FILE_MACHINE_ARM64
    return false;
}

// "major.minor.build", missing parts zero. Anything else cannot be compared and is no match.
bool MeetsSystem(const std::wstring& minimum, const OfferContext& context) {
    if (minimum.empty()) return true;
    unsigned long long parts[3] = {0, 0, 0};
    int index = 0;
    bool digit = false;
    for (wchar_t ch : minimum) {
        if (ch >= L'0' && ch <= L'9') {
            parts[index] = parts[index] * 10 + static_cast<unsigned>(ch - L'0');
            if (parts[index] > 0xFFFFFFFFull) return false;
            digit = true;
        } else if (ch == L'.' && digit && index < 2) {
            ++index;
            digit = false;
        } else {
            return false;
        }
    }
    if (!digit) return false;
    const unsigned long long running[3] = {context.osMajor, context.osMinor, context.osBuild};
    for (int i = 0; i < 3; ++i) {
        if (running[i] != parts[i]) return running[i] > parts[i];
    }
    return true;
}

bool CriticalFor(const FeedItem& item, const std::wstring& installed) {
    return item.critical && (item.criticalBelow.empty() || CompareVersions(installed, item.criticalBelow) < 0);
}

// Group g gets the item g intervals after its publication; the sum saturates instead of
// wrapping, so a huge interval means "not yet", never "long ago".
bool DueInRollout(const FeedItem& item, const OfferContext& context) {
    if (item.rolloutInterval <= 0 || !item.hasPubDate) return true;
    const std::int64_t limit = INT64_MAX / 8;
    const std::int64_t delay = item.rolloutInterval > limit ? limit : item.rolloutInterval * context.rolloutGroup;
    if (item.pubDate > INT64_MAX - delay) return false;
    return context.now >= item.pubDate + delay;
}

bool Eligible(const FeedItem& item, const OfferContext& context, bool critical) {
    if (!item.hasEnclosure || item.installerArguments || item.version.empty()) return false;
    if (!MatchesMachine(item.enclosure.os, context.machine) || !MeetsSystem(item.minimumSystemVersion, context)) {
        return false;
    }
    if (!item.channel.empty() && item.channel != context.channel) return false;
    if (CompareVersions(item.version, context.installedVersion) <= 0) return false;
    if (context.checkNow || critical) return true;
    if (!context.skippedVersion.empty() && CompareVersions(item.version, context.skippedVersion) <= 0) return false;
    return DueInRollout(item, context);
}

}  // namespace

Offer ChooseOffer(const AppcastFeed& feed, const OfferContext& context) {
    Offer offer;
    for (const FeedItem& item : feed.items) {
        const bool critical = CriticalFor(item, context.installedVersion);
        if (!Eligible(item, context, critical)) continue;
        // A critical fix among the eligible items makes the whole offer critical: the highest
        // version carries that fix too, and the user must not be able to skip past it.
        offer.critical = offer.critical || critical;
        if (offer.item == nullptr || CompareVersions(item.version, offer.item->version) > 0) offer.item = &item;
    }
    return offer;
}
