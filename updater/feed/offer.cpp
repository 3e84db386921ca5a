#include "updater/feed/offer.h"

#include <windows.h>

#include "updater/feed/feed_dates.h"
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

// "major.minor.build", missing parts zero. False for anything else.
bool ParseSystemVersion(const std::wstring& text, unsigned long long (&parts)[3]) {
    int index = 0;
    bool digit = false;
    for (wchar_t ch : text) {
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
    return digit;
}

// The running system against a bound: negative below it, 0 equal, positive above. A bound that
// cannot be read is reported as `unreadable`: such a bound is no match either way.
int CompareSystem(const std::wstring& bound, const OfferContext& context, int unreadable) {
    unsigned long long parts[3] = {0, 0, 0};
    if (!ParseSystemVersion(bound, parts)) return unreadable;
    const unsigned long long running[3] = {context.osMajor, context.osMinor, context.osBuild};
    for (int i = 0; i < 3; ++i) {
        if (running[i] != parts[i]) return running[i] > parts[i] ? 1 : -1;
    }
    return 0;
}

std::wstring RunningSystem(const OfferContext& context) {
    return std::to_wstring(context.osMajor) + L"." + std::to_wstring(context.osMinor) + L"." +
           std::to_wstring(context.osBuild);
}

// The file for this machine: one named for it exactly comes before one for any Windows.
const FeedEnclosure* EnclosureFor(const FeedItem& item, std::uint16_t machine) {
    const FeedEnclosure* any = nullptr;
    for (const FeedEnclosure& enclosure : item.enclosures) {
        if (!MatchesMachine(enclosure.os, machine)) continue;
        if (!enclosure.os.empty() && !SameAscii(enclosure.os, L"windows")) return &enclosure;
        if (any == nullptr) any = &enclosure;
    }
    return any;
}

std::wstring MachineReason(const FeedItem& item) {
    std::wstring named;
    for (const FeedEnclosure& enclosure : item.enclosures) named += (named.empty() ? L"\"" : L", \"") + enclosure.os + L"\"";
    return L"machine: for sparkle:os " + named;
}

bool CriticalFor(const FeedItem& item, const std::wstring& installed) {
    return item.critical && (item.criticalBelow.empty() || CompareVersions(installed, item.criticalBelow) < 0);
}

// Group g gets the item g intervals after its publication; the sum saturates instead of
// wrapping, so a huge interval means "not yet", never "long ago". `due` receives the time.
bool DueInRollout(const FeedItem& item, const OfferContext& context, std::int64_t& due) {
    if (item.rolloutInterval <= 0 || !item.hasPubDate) return true;
    const std::int64_t limit = INT64_MAX / 8;
    const std::int64_t delay = item.rolloutInterval > limit ? limit : item.rolloutInterval * context.rolloutGroup;
    due = item.pubDate > INT64_MAX - delay ? INT64_MAX : item.pubDate + delay;
    return context.now >= due;
}

// What the system bounds say against the running system; empty when it may run the item.
std::wstring SystemReason(const FeedItem& item, const OfferContext& context) {
    if (!item.minimumSystemVersion.empty() && CompareSystem(item.minimumSystemVersion, context, -1) < 0) {
        return L"system version " + RunningSystem(context) + L" below the minimum " + item.minimumSystemVersion;
    }
    if (!item.maximumSystemVersion.empty() && CompareSystem(item.maximumSystemVersion, context, 1) > 0) {
        return L"system version " + RunningSystem(context) + L" above the maximum " + item.maximumSystemVersion;
    }
    return {};
}

// Why a newer item is no candidate for this program; empty when it is one.
std::wstring ReasonAgainst(const FeedItem& item, const OfferContext& context, bool critical, bool informational) {
    if (!informational && !item.hasEnclosure) return L"no usable enclosure";
    if (!informational && EnclosureFor(item, context.machine) == nullptr) return MachineReason(item);
    std::wstring system = SystemReason(item, context);
    if (!system.empty()) return system;
    if (!item.channel.empty() && item.channel != context.channel) return L"channel \"" + item.channel + L"\" not followed";
    // A major release the vendor wants a person to choose: --yes never installs it.
    if (context.automatic && !item.minimumAutoupdateVersion.empty() &&
        CompareVersions(item.minimumAutoupdateVersion, context.installedVersion) > 0) {
        return L"minimum automatic-update version " + item.minimumAutoupdateVersion + L" above the installed " +
               context.installedVersion;
    }
    if (context.checkNow || critical) return {};
    if (!context.skippedVersion.empty() && CompareVersions(item.version, context.skippedVersion) <= 0) {
        return L"skipped by the user";
    }
    std::int64_t due = 0;
    if (!DueInRollout(item, context, due)) {
        return L"rollout group " + std::to_wstring(context.rolloutGroup) + L" not yet due, due " + UtcDateText(due);
    }
    return {};
}

}  // namespace

bool IsInformationalFor(const FeedItem& item, const std::wstring& installed) {
    if (!item.informational) return false;
    if (item.informationalVersions.empty() && item.informationalBelow.empty()) return true;
    for (const std::wstring& version : item.informationalVersions) {
        if (CompareVersions(installed, version) == 0) return true;
    }
    for (const std::wstring& below : item.informationalBelow) {
        if (CompareVersions(installed, below) < 0) return true;
    }
    return false;
}

Offer ChooseOffer(const AppcastFeed& feed, const OfferContext& context) {
    Offer offer;
    for (const FeedItem& item : feed.items) {
        if (item.version.empty() || CompareVersions(item.version, context.installedVersion) <= 0) continue;
        const bool critical = CriticalFor(item, context.installedVersion);
        const bool informational = IsInformationalFor(item, context.installedVersion);
        std::wstring reason = ReasonAgainst(item, context, critical, informational);
        if (!reason.empty()) {
            offer.passedOver.push_back({&item, std::move(reason)});
            continue;
        }
        // A critical fix among the eligible items makes the whole offer critical: the highest
        // version carries that fix too, and the user must not be able to skip past it.
        offer.critical = offer.critical || critical;
        // An informational item stays a candidate: when it is the highest, a lower release is
        // not installed in its place.
        if (offer.item == nullptr || CompareVersions(item.version, offer.item->version) > 0) {
            offer.item = &item;
            offer.informational = informational;
            offer.enclosure = informational ? nullptr : EnclosureFor(item, context.machine);
        }
    }
    return offer;
}
