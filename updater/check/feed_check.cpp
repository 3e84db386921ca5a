#include "updater/check/feed_check.h"

#include "updater/check/check_findings.h"
#include "updater/check/check_notice.h"
#include "updater/check/check_program.h"
#include "updater/check/check_rules.h"
#include "updater/check/checking_window.h"
#include "updater/check/offer_window.h"
#include "updater/delivery/download_file.h"
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

// What the download must meet. Null (the check fails) when the item cannot be fetched safely:
// an enclosure that is not https, or a signature that cannot even be read.
std::shared_ptr<EnclosureRules> RulesFor(const FeedItem& item, const FeedEnclosure& enclosure,
                                         const InstalledProgram& program, const ReceivedFeed& received,
                                         const std::wstring& keyPath) {
    auto rules = std::make_shared<EnclosureRules>();
    if (!IsHttpsUrl(enclosure.url)) {
        LogLine("check: FAILED, the enclosure URL is not https, nothing requested");
        return nullptr;
    }
    if (!Base64Decode(Utf8(enclosure.edSignature), rules->edSignature) || rules->edSignature.size() != 64) {
        LogLine("check: FAILED, the item has no readable sparkle:edSignature");
        return nullptr;
    }
    rules->length = enclosure.length;
    rules->installer = enclosure.installer;
    rules->msi = enclosure.msi;
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
        if (details.releaseNotesMarkup.empty()) details.notesToFetch = details.releaseNotesLink;
    }
    details.critical = offer.critical;
    details.informational = offer.informational;
    details.detailsLink = offer.item->link;
    details.keyChanged = received.root == FeedRoot::LostKey;
    const OfferChoice choice = ShowOfferWindow(details);
    if (choice == OfferChoice::InstallNow && offer.informational) {
        LogLine("check: the user asked for the details of informational version \"%s\"; nothing is installed",
                Utf8(offer.item->version).c_str());
        return kCheckNothingNewer;
    }
    if (choice == OfferChoice::InstallNow) return kCheckUpdateAttempted;
    if (choice == OfferChoice::Skip && !offer.critical) {
        SaveSkippedVersion(keyPath, offer.item->version);
        LogLine("check: the user skipped version \"%s\"", Utf8(offer.item->version).c_str());
    } else {
        LogLine("check: the user chose later");
    }
    return kCheckDeclined;
}

// An informational release is shown, never downloaded: with --yes there is nobody to show it to.
CheckResult Informational(const CheckRequest& request, const Offer& offer, const InstalledProgram& program,
                          const ReceivedFeed& received, const FeedCheckPlace& place) {
    if (request.yes) {
        LogLine("check: passed over \"%s\": informational; nothing is installed", Utf8(offer.item->version).c_str());
        return Finished(kCheckNothingNewer);
    }
    LogLine("check: showing informational version \"%s\"", Utf8(offer.item->version).c_str());
    return Finished(AskUser(request, offer, program, received, place.keyPath));
}

CheckResult Offered(const CheckRequest& request, const Offer& offer, const InstalledProgram& program,
                    const ReceivedFeed& received, const FeedCheckPlace& place) {
    if (offer.informational) return Informational(request, offer, program, received, place);
    const bool lostKey = received.root == FeedRoot::LostKey;
    LogLine("check: offering version \"%s\"%s, carried by %s", Utf8(offer.item->version).c_str(),
            offer.critical ? " (critical)" : "", lostKey ? "authenticode after lost key" : "ed25519 key");
    std::shared_ptr<EnclosureRules> rules = RulesFor(*offer.item, *offer.enclosure, program, received, place.keyPath);
    if (!rules) return Finished(kCheckFailed);
    const int answer = AskUser(request, offer, program, received, place.keyPath);
    if (answer != kCheckUpdateAttempted) return Finished(answer);
    CheckResult result = Finished(kCheckUpdateAttempted);
    result.enclosureUrl = offer.enclosure->url;
    result.rules = std::move(rules);
    if (offer.enclosure->installer) {
        result.installer = std::make_shared<InstallerRelease>(
            InstallerRelease{offer.enclosure->msi, offer.enclosure->installerArguments, offer.item->version});
    }
    return result;
}

// The findings' outcome, on the window's thread: an offer asked of the user, or the balloon a
// check the user asked for shows.
CheckResult Decide(const CheckRequest& request, CheckFindings& found, CheckNotice& notice) {
    if (found.finished) return Finished(found.exitCode);
    for (const PassedOver& passed : found.offer.passedOver) {
        LogLine("check: passed over \"%s\": %s", Utf8(passed.item->version).c_str(), Utf8(passed.reason).c_str());
    }
    if (found.offer.item != nullptr) return Offered(request, found.offer, found.program, found.received, found.place);
    // A feed no installed key vouches for cannot say "nothing newer" either.
    if (found.received.root == FeedRoot::LostKey) {
        LogLine("check: FAILED, the unverified feed offers nothing to recover with");
        return Finished(kCheckFailed);
    }
    LogLine("check: nothing newer than \"%s\"", Utf8(found.program.facts.fileVersion).c_str());
    if (request.now) notice.ShowBalloon(UiText(TextId::UpToDate));
    return Finished(kCheckNothingNewer);
}

// A check the user asked for shows that it works until it has its answer, and may be cancelled
// meanwhile; the start-up check stays silent.
CheckResult CheckAndOffer(const CheckRequest& request, CheckNotice& notice, CheckProgress& progress) {
    if (!request.now) {
        CheckFindings findings;
        GatherCheckFindings(request, findings);
        return Decide(request, findings, notice);
    }
    const std::shared_ptr<CheckFindings> findings = progress.Gather(request);
    // Nothing was decided: the same as choosing "later" in the offer.
    if (!findings) return Finished(kCheckDeclined);
    return Decide(request, *findings, notice);
}

}  // namespace

CheckResult RunFeedCheck(const CheckRequest& request) {
    LogLine("check: feed \"%s\", program \"%s\"%s%s, channel \"%s\"", Utf8(UrlForLog(request.feedUrl)).c_str(),
            Utf8(request.programPath).c_str(), request.now ? ", now" : "", request.yes ? ", yes" : "",
            Utf8(request.channel).c_str());
    CheckNotice notice;
    CheckProgress progress;
    // A second updater brings forward what this one shows: the waiting window of a check the
    // user asked for.
    const HWND shown = request.now && progress.Create() ? progress.Window() : notice.Window();
    CSingleInst guard;
    if (!guard.TryAcquire(shown)) {
        LogLine("check: another updater runs; brought to the front");
        return Finished(kCheckNothingNewer);
    }
    // An installer an earlier run could not remove (still held when it ended) goes now.
    for (const bool msi : {false, true}) RemoveStaleFile(InstallerFilePath(request.programPath, msi));
    const CheckResult result = CheckAndOffer(request, notice, progress);
    if (result.exitCode == kCheckFailed && request.now) notice.ShowBalloon(UiText(TextId::CheckFailed));
    return result;
}
