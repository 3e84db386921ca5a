// Deterministic mutation fuzzing of the feed reader (signature block, then the appcast) and of the
// release notes' reduction: every byte of a feed is the attacker's until the signature holds, and
// the notes' even after. Every input gets an answer, never a crash; mark-up stays ours, balanced.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/fuzz/guarded_block.h"
#include "tests/fuzz/mutator.h"
#include "tests/feedlogic/markup_check.h"
#include "tests/feedlogic/test_keys.h"
#include "updater/feed/appcast.h"
#include "updater/feed/release_notes.h"
#include "updater/feed/signed_feed.h"

namespace {

constexpr uint32_t kSeed = 20261226;
constexpr int kFeedIterations = 30000;
constexpr int kNotesIterations = 30000;
constexpr size_t kLargestInput = 256 * 1024;

GuardedBlock& Block() {
    static GuardedBlock block(kLargestInput);  // inputs end against a page that faults
    return block;
}

Bytes SignedBytes(const Bytes& body) {
    const std::string whole = Signed(6, std::string(body.begin(), body.end()));
    return Bytes(whole.begin(), whole.end());
}

TEST(FeedFuzz, MutatedSignedFeedsAreVerifiedOrRefused) {
    const Bytes body = ReadCorpus("appcast.xml");
    const Bytes signedFeed = SignedBytes(body);
    const std::vector<Ed25519Key> keys = {TestKey(6)};
    Mutator mutator(kSeed);
    int verified = 0, parsed = 0;
    for (int i = 0; i < kFeedIterations; ++i) {
        // Half the mutants are signed after mutation, so the appcast reader sees them too.
        const Bytes mutant = i % 2 == 0 ? mutator.Mutate(signedFeed) : SignedBytes(mutator.Mutate(body));
        const uint8_t* placed = Block().Place(mutant);
        ASSERT_NE(nullptr, placed);
        std::string_view signedBytes;
        const FeedSignatureStatus status =
            VerifySignedFeed(std::string_view(reinterpret_cast<const char*>(placed), mutant.size()), keys, signedBytes, nullptr);
        if (status != FeedSignatureStatus::Verified) {
            ASSERT_TRUE(signedBytes.empty()) << "iteration " << i;
            continue;
        }
        ++verified;
        AppcastFeed feed;
        parsed += ParseAppcast(signedBytes, feed) == AppcastStatus::Ok ? 1 : 0;
        for (const FeedItem& item : feed.items) {
            ASSERT_TRUE(OnlyOurTagsBalanced(ReleaseNotesToMarkup(item.description, item.descriptionIsPlainText)))
                << "iteration " << i;
        }
    }
    std::printf("feeds: %d of %d mutants verified, %d of them read\n", verified, kFeedIterations, parsed);
    EXPECT_GT(verified, kFeedIterations / 3);  // at least the ones signed after mutation
    EXPECT_GT(parsed, verified / 20);
    EXPECT_LT(parsed, verified);
}

TEST(FeedFuzz, MutatedReleaseNotesGiveBalancedMarkup) {
    const Bytes corpus = ReadCorpus("release_notes.html");
    Mutator mutator(kSeed + 1);
    for (int i = 0; i < kNotesIterations; ++i) {
        const Bytes mutant = mutator.Mutate(corpus);
        Bytes wide;
        for (uint8_t b : mutant) {
            wide.push_back(b);
            wide.push_back(i % 7 == 0 ? 0xD8 : 0);  // now and then lone surrogates
        }
        const uint8_t* placed = Block().Place(wide);
        ASSERT_NE(nullptr, placed);
        const std::wstring_view notes(reinterpret_cast<const wchar_t*>(placed), mutant.size());
        ASSERT_TRUE(OnlyOurTagsBalanced(ReleaseNotesToMarkup(notes, i % 5 == 0))) << "iteration " << i;
    }
}

}  // namespace
