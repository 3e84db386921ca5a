#include "updater/check/enclosure_rules.h"

#include <algorithm>
#include <cwctype>

#include "updater/delivery/file_snapshot.h"
#include "updater/feed/feed_state.h"
#include "updater/feed/release_program.h"
#include "updater/feed/signed_feed.h"
#include "updater/trust/program_facts.h"
#include "updater/update_log.h"

namespace {

bool LengthHolds(std::uint64_t received, const EnclosureRules& rules) {
    if (rules.length != 0 && received != rules.length) {
        LogLine("enclosure: REFUSED, %llu bytes received, the feed announced %llu",
                static_cast<unsigned long long>(received), static_cast<unsigned long long>(rules.length));
        return false;
    }
    return true;
}

// The program that arrived is the one offered.
bool FactsHold(const std::wstring& path, const EnclosureRules& rules) {
    ProgramFacts facts;
    const ExpectedRelease expected{rules.machine, rules.productName, rules.itemVersion, rules.installedVersion};
    const char* problem = ReadProgramFacts(path, facts) ? ReleaseProgramProblem(facts, expected) : "not a Windows program";
    if (problem == nullptr) return true;
    LogLine("enclosure: REFUSED, the download is %s (version \"%s\", product \"%s\")", problem,
            Utf8(facts.fileVersion).c_str(), Utf8(facts.productName).c_str());
    return false;
}

bool SharesAnyKey(const std::vector<Ed25519Key>& a, const std::vector<Ed25519Key>& b) {
    return std::any_of(a.begin(), a.end(),
                       [&](const Ed25519Key& key) { return std::find(b.begin(), b.end(), key) != b.end(); });
}

// Lost key: the download brings keys of its own, none of the installed ones, and those keys
// must have signed both the feed that offered it and the file itself.
bool LostKeyHolds(HANDLE file, const std::wstring& path, const EnclosureRules& rules) {
    std::vector<Ed25519Key> keys;
    if (!ReadProgramKeys(path, keys) || keys.empty()) {
        LogLine("enclosure: REFUSED, the download carries no Ed25519 key (lost-key recovery)");
        return false;
    }
    if (SharesAnyKey(keys, rules.installedKeys)) {
        LogLine("enclosure: REFUSED, the download's keys include an installed one (lost-key recovery)");
        return false;
    }
    std::string_view signedBytes;
    const FeedSignatureStatus feed = VerifySignedFeed(rules.unverifiedFeed, keys, signedBytes, nullptr);
    if (feed != FeedSignatureStatus::Verified) {
        LogLine("enclosure: REFUSED, the download's keys do not verify the feed (%s)", FeedSignatureStatusText(feed));
        return false;
    }
    if (VerifyFileWithAnyKey(file, rules.edSignature, keys) < 0) {
        LogLine("enclosure: REFUSED, the download's keys do not verify its edSignature");
        return false;
    }
    return true;
}

bool SignatureHolds(HANDLE file, const std::wstring& path, const EnclosureRules& rules) {
    if (rules.LostKey()) return LostKeyHolds(file, path, rules);
    if (VerifyFileWithAnyKey(file, rules.edSignature, rules.installedKeys) < 0) {
        LogLine("enclosure: REFUSED, no installed key verifies its edSignature");
        return false;
    }
    return true;
}

}  // namespace

std::uint64_t EnclosureRules::ByteLimit() const {
    return length != 0 ? length : kMaxUnannouncedEnclosureBytes;
}

bool EnclosureRules::Allows(HANDLE file, const std::wstring& path, std::uint64_t received,
                            bool* signatureRefused) const {
    return EnclosureAllows(file, path, received, *this, signatureRefused);
}

void EnclosureRules::Installed() const {
    if (!LostKey() || feedStateKeyPath.empty()) return;
    const bool cleared = ClearFirstFeedFailureTime(feedStateKeyPath);
    LogLine("check: lost-key recovery installed, FirstFeedFailureTime %s", cleared ? "cleared" : "NOT cleared");
}

bool EnclosureAllows(HANDLE file, const std::wstring& path, std::uint64_t received, const EnclosureRules& rules,
                     bool* signatureRefused) {
    if (!LengthHolds(received, rules)) return false;
    FileSnapshot snapshot;
    if (!snapshot.Take(file, path + L".check")) {
        LogLine("enclosure: REFUSED, the download cannot be read for its checks");
        return false;
    }
    if (!SignatureHolds(file, snapshot.Path(), rules)) {
        if (signatureRefused != nullptr) *signatureRefused = true;
        return false;
    }
    if (!FactsHold(snapshot.Path(), rules)) return false;
    LogLine("enclosure: %llu bytes, edSignature verified (%s), version \"%s\" of \"%s\"",
            static_cast<unsigned long long>(received), rules.LostKey() ? "authenticode after lost key" : "ed25519 key",
            Utf8(rules.itemVersion).c_str(), Utf8(rules.productName).c_str());
    return true;
}
