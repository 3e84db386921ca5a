#include "updater/feed/signed_feed.h"

#include <cstdint>

namespace {

constexpr std::string_view kMarker = "<!-- sparkle-signatures:\n";
// The marker without its line end: a block whose line ends were changed after signing (a feed
// converted to CRLF) exists but does not parse, and is reported so, never as "unsigned".
constexpr std::string_view kMarkerStart = "<!-- sparkle-signatures:";
constexpr std::string_view kClose = "-->";

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool ParseLength(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;  // 19 digits always fit in 64 bits
    value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(ch - '0');
    }
    return true;
}

struct SignatureBlock {
    std::vector<std::uint8_t> signature;
    std::uint64_t length = 0;
};

// The lines between the marker and "-->": exactly one "edSignature:" and one "length:" line,
// blank lines allowed, nothing else. Anything unexpected is refused rather than skipped: a
// signature block is not the place for leniency.
bool ParseBlock(std::string_view body, SignatureBlock& block) {
    bool haveSignature = false, haveLength = false;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        const std::string_view line = Trim(body.substr(0, end));
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        if (line.empty()) continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return false;
        const std::string_view name = Trim(line.substr(0, colon));
        const std::string_view value = Trim(line.substr(colon + 1));
        if (name == "edSignature" && !haveSignature) {
            haveSignature = Base64Decode(value, block.signature) && block.signature.size() == 64;
            if (!haveSignature) return false;
        } else if (name == "length" && !haveLength) {
            haveLength = ParseLength(value, block.length);
            if (!haveLength) return false;
        } else {
            return false;
        }
    }
    return haveSignature && haveLength;
}

}  // namespace

FeedSignatureStatus VerifySignedFeed(std::string_view whole, const std::vector<Ed25519Key>& keys,
                                     std::string_view& signedBytes, int* keyIndex) {
    signedBytes = {};
    if (keyIndex) *keyIndex = -1;
    const std::size_t marker = whole.rfind(kMarker);
    if (marker == std::string_view::npos) {
        return whole.find(kMarkerStart) == std::string_view::npos ? FeedSignatureStatus::Unsigned
                                                                  : FeedSignatureStatus::Malformed;
    }
    const std::string_view rest = whole.substr(marker + kMarker.size());
    const std::size_t close = rest.find(kClose);
    if (close == std::string_view::npos) return FeedSignatureStatus::Malformed;
    if (!Trim(rest.substr(close + kClose.size())).empty()) return FeedSignatureStatus::Malformed;
    SignatureBlock block;
    if (!ParseBlock(rest.substr(0, close), block)) return FeedSignatureStatus::Malformed;
    if (block.length != marker) return FeedSignatureStatus::LengthMismatch;
    const std::string_view candidate = whole.substr(0, marker);
    const int key = VerifyWithAnyKey(reinterpret_cast<const std::uint8_t*>(candidate.data()), candidate.size(),
                                     block.signature, keys);
    if (key < 0) return FeedSignatureStatus::NoKeyVerifies;
    signedBytes = candidate;
    if (keyIndex) *keyIndex = key;
    return FeedSignatureStatus::Verified;
}

const char* FeedSignatureStatusText(FeedSignatureStatus status) {
    switch (status) {
        case FeedSignatureStatus::Verified: return "verified";
        case FeedSignatureStatus::Unsigned: return "unsigned (no signature block)";
        case FeedSignatureStatus::Malformed: return "malformed signature block";
        case FeedSignatureStatus::LengthMismatch: return "signed length does not match the feed";
        case FeedSignatureStatus::NoKeyVerifies: return "no installed key verifies the signature";
    }
    return "unknown";
}
