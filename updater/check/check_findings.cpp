#include "updater/check/check_findings.h"

#include "updater/check/check_rules.h"
#include "updater/check/feed_check.h"
#include "updater/update_log.h"

namespace {

void Finish(CheckFindings& findings, int exitCode) {
    findings.finished = true;
    findings.exitCode = exitCode;
}

OfferContext ContextFor(const CheckRequest& request, const CheckFindings& findings) {
    OfferContext context;
    context.installedVersion = findings.program.facts.fileVersion;
    context.machine = findings.program.facts.machine;
    const SystemVersion system = RunningSystemVersion();
    context.osMajor = system.major;
    context.osMinor = system.minor;
    context.osBuild = system.build;
    context.channel = request.channel;
    context.rolloutGroup = RolloutGroup(findings.place.keyPath, findings.place.now);
    context.now = findings.place.now;
    context.checkNow = request.now;
    context.skippedVersion = findings.state.skippedVersion;
    context.automatic = request.yes;
    return context;
}

}  // namespace

void GatherCheckFindings(const CheckRequest& request, CheckFindings& findings) {
    if (!ReadInstalledProgram(request.programPath, findings.program)) return Finish(findings, kCheckFailed);
    findings.place = {request.feedUrl, FeedStateKeyPath(findings.program.facts, request.programPath), UnixTimeNow()};
    findings.state = LoadFeedState(findings.place.keyPath, findings.place.now);
    if (!CheckIsDue(findings.state, findings.place.now, request.now)) {
        LogLine("check: last check %lld s ago, within the interval; nothing requested",
                static_cast<long long>(findings.place.now - findings.state.lastCheckTime));
        return Finish(findings, kCheckNothingNewer);
    }
    if (!ReceiveFeed(findings.place, findings.program, findings.state, findings.received)) {
        return Finish(findings, kCheckFailed);
    }
    findings.offer = ChooseOffer(findings.received.feed, ContextFor(request, findings));
}
