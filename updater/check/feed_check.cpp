#include "updater/check/feed_check.h"


#include "updater/check/check_feed.h"
#include "updater/check/check_notice.h"
#include "updater/check/check_program.h"
#include "updater/check/check_rules.h"
#include "updater/check/offer_window.h"
#include "updater/delivery/url_text.h"
#include "updater/feed/offer.h"
#include "updater/feed/release_notes.h"
#include "updater/install/single_instance.h"
#include "updater/ui_texts.h"
#include "updater/update_log.h"

namespace {


CheckResult Finished(int exitCode) {
    CheckResult result;
    result.exitCode = exitCode;
    return result;
}

OfferContext ContextFor(const CheckRequest& request, const InstalledProgram& program, const FeedState& state,
                        const FeedCheckPlace& place) {
    OfferContext context;
    context.installedVersion = program.facts.fileVersion;
    context.machine = program.facts.machine;
    const SystemVersion system = RunningSystemVersion();
    context.osMajor = system.major;
    context.osMinor = system.minor;
    context.osBuild = system.build;
    context.channel = request.channel;
    context.rolloutGroup = RolloutGroup(place.keyPath, place.now);
    context.now = place.now;
    context.checkNow = request.now;
    context.skippedVersion = state.skippedVersion;
    return context;
}

// What the download must meet. Null (the check fails) when the item cannot be fetched safely:
// an enclosure that is not https, or a signature that cannot even be read.
std::shared_ptr<EnclosureRules> RulesFor(const FeedItem& item, const InstalledProgram& program,
                                         const ReceivedFeed& received, const std::wstring& keyPath) {
    auto rules = std::make_shared<EnclosureRules>();
    if (!IsHttpsUrl(item.enclosure.url)) {
        LogLine("check: FAILED, the enclosure URL is not https, nothing requested");
        return nullptr;
    }
    if (!Base64Decode(Utf8(item.enclosure.edSignature), rules->edSignature) || rules->edSignature.size() != 64) {
        LogLine("check: FAILED, the item has no readable sparkle:edSignature");
        return nullptr;
    }
    rules->length = item.enclosure.length;
    rules->installedKeys = program.keys;
    rules->machine = program.facts.machine;
    rules->itemVersion = item.version;
    rules->installedVersion = program.facts.fileVersion;
    rules->productName = program.facts.productName;
    rules->feedStateKeyPath = keyPath;
    if (received.root == FeedRoot::LostKey) rules->unverifiedFeed = received.whole;
    return rules;
}

// Asks the user unless --yes. A critical item cannot be skipped, whatever comes back.
int AskUser(const CheckRequest& request, const Offer& offer, const InstalledProgram& program,
            const ReceivedFeed& received, const std::wstring& keyPath) {
    if (request.yes) return kCheckUpdateAttempted;
    OfferDetails details;
    details.productName = program.facts.productName;
    details.newVersion = DisplayVersion(*offer.item);
    details.installedVersion = program.facts.fileVersion;
    // Notes nobody's installed key vouches for are not shown.
    if (received.root == FeedRoot::InstalledKey) {
        details.releaseNotesMarkup = ReleaseNotesToMarkup(offer.item->description, offer.item->descriptionIsPlainText);
        if (IsHttpsUrl(offer.item->releaseNotesLink)) details.releaseNotesLink = offer.item->releaseNotesLink;
    }
    details.critical = offer.critical;
    details.keyChanged = received.root == FeedRoot::LostKey;
    const OfferChoice choice = ShowOfferWindow(details);
    if (choice == OfferChoice::InstallNow) return kCheckUpdateAttempted;
    if (choice == OfferChoice::Skip && !offer.critical) {
        SaveSkippedVersion(keyPath, offer.item->version);
        LogLine("check: the user skipped version \"%s\"", Utf8(offer.item->version).c_str());
    } else {
        LogLine("check: the user chose later");
    }
    return kCheckDeclined;
}

CheckResult Offered(const CheckRequest& request, const Offer& offer, const InstalledProgram& program,
                    const ReceivedFeed& received, const FeedCheckPlace& place) {
    const bool lostKey = received.root == FeedRoot::LostKey;
    LogLine("check: offering version \"%s\"%s, carried by %s", Utf8(offer.item->version).c_str(),
            offer.critical ? " (critical)" : "", lostKey ? "authenticode after lost key" : "ed25519 key");
    std::shared_ptr<EnclosureRules> rules = RulesFor(*offer.item, program, received, place.keyPath);
    if (!rules) return Finished(kCheckFailed);
    const int answer = AskUser(request, offer, program, received, place.keyPath);
    if (answer != kCheckUpdateAttempted) return Finished(answer);
    CheckResult result = Finished(kCheckUpdateAttempted);
    result.enclosureUrl = offer.item->enclosure.url;
    result.rules = std::move(rules);
    return result;
}

CheckResult CheckAndOffer(const CheckRequest& request, CheckNotice& notice) {
    InstalledProgram program;
    if (!ReadInstalledProgram(request.programPath, program)) return Finished(kCheckFailed);
    FeedCheckPlace place{request.feedUrl, FeedStateKeyPath(program.facts, request.programPath), UnixTimeNow()};
    const FeedState state = LoadFeedState(place.keyPath, place.now);
    if (!CheckIsDue(state, place.now, request.now)) {
        LogLine("check: last check %lld s ago, within the interval; nothing requested",
                static_cast<long long>(place.now - state.lastCheckTime));
        return Finished(kCheckNothingNewer);
    }
    ReceivedFeed received;
    if (!ReceiveFeed(place, program, state, received)) return Finished(kCheckFailed);
    const Offer offer = ChooseOffer(received.feed, ContextFor(request, program, state, place));
    if (offer.item != nullptr) return Offered(request, offer, program, received, place);
    // A feed no installed key vouches for cannot say "nothing newer" either.
    if (received.root == FeedRoot::LostKey) {
        LogLine("check: FAILED, the unverified feed offers nothing to recover with");
        return Finished(kCheckFailed);
    }
    LogLine("check: nothing newer than \"%s\"", Utf8(program.facts.fileVersion).c_str());
    if (request.now) notice.ShowBalloon(UiText(TextId::UpToDate));
    return Finished(kCheckNothingNewer);
}

}  // namespace

CheckResult RunFeedCheck(const CheckRequest& request) {
    LogLine("check: feed \"%s\", program \"%s\"%s%s, channel \"%s\"", Utf8(UrlForLog(request.feedUrl)).c_str(),
            Utf8(request.programPath).c_str(), request.now ? ", now" : "", request.yes ? ", yes" : "",
            Utf8(request.channel).c_str());
    CheckNotice notice;
    CSingleInst guard;
    if (!guard.TryAcquire(notice.Window())) {
        LogLine("check: another updater runs; brought to the front");
        return Finished(kCheckNothingNewer);
    }
    const CheckResult result = CheckAndOffer(request, notice);
    if (result.exitCode == kCheckFailed && request.now) notice.ShowBalloon(UiText(TextId::CheckFailed));
    return result;
}
