// Deterministic mutation fuzzing of the feed reader: signed feeds (the signature block and the
// appcast behind it) and release notes reduced to mark-up. Feeds come from a vendor's server,
// so every byte of them is attacker-controlled until the signature holds, and the notes even
// after. Every input must give an answer, never a crash, and the notes' mark-up must only hold
// the reducer's own tags, balanced.
#include <gtest/gtest.h>

#include <sodium.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/fuzz/guarded_block.h"
#include "tests/fuzz/mutator.h"
#include "ui/draw/markup_tokenizer.h"
#include "updater/feed/appcast.h"
#include "updater/feed/release_notes.h"
#include "updater/feed/signed_feed.h"

namespace {

constexpr uint32_t kSeed = 20261226;
constexpr int kFeedIterations = 30000;
constexpr int kNotesIterations = 30000;
constexpr size_t kLargestInput = 256 * 1024;

GuardedBlock& Block() {
    static GuardedBlock block(kLargestInput);
    return block;
}

struct Signer {
    Ed25519Key publicKey;
    unsigned char secretKey[64];
    Signer() {
        unsigned char seed[32];
        for (unsigned char& b : seed) b = 0x5A;
        const int ready = sodium_init();
        (void)ready;  // key derivation and signing need no random source
        crypto_sign_ed25519_seed_keypair(publicKey.data(), secretKey, seed);
    }
    Bytes Sign(const Bytes& body) const {
        unsigned char signature[64];
        crypto_sign_ed25519_detached(signature, nullptr, body.data(), body.size(), secretKey);
        const std::string block = "<!-- sparkle-signatures:\nedSignature: " + Base64Encode(signature, 64) +
                                  "\nlength: " + std::to_string(body.size()) + "\n-->\n";
        Bytes whole = body;
        whole.insert(whole.end(), block.begin(), block.end());
        return whole;
    }
};

::testing::AssertionResult OnlyOurTagsBalanced(const std::wstring& markup) {
    std::wstring open;
    for (const wchar_t* p = markup.c_str(); *p != L'\0';) {
        const MarkupToken token = NextMarkupToken(p, false);
        if (token.kind == MarkupTokenKind::OpenTag && token.letter != L'n') {
            if (std::wstring(L"abi").find(token.letter) == std::wstring::npos) {
                return ::testing::AssertionFailure() << "foreign tag " << static_cast<char>(token.letter);
            }
            open += token.letter;
        } else if (token.kind == MarkupTokenKind::CloseTag) {
            if (open.empty() || open.back() != token.letter) return ::testing::AssertionFailure() << "unbalanced";
            open.pop_back();
        }
        if (token.next <= p) return ::testing::AssertionFailure() << "the tokenizer did not advance";
        p = token.next;
    }
    return open.empty() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "tags left open";
}

TEST(FeedFuzz, MutatedSignedFeedsAreVerifiedOrRefused) {
    const Signer signer;
    const Bytes body = ReadCorpus("appcast.xml");
    const Bytes signedFeed = signer.Sign(body);
    std::vector<Ed25519Key> keys = {signer.publicKey};
    Mutator mutator(kSeed);
    int verified = 0, parsed = 0;
    for (int i = 0; i < kFeedIterations; ++i) {
        // Half the mutants are signed after mutation, so the appcast reader sees them too.
        const Bytes mutant = i % 2 == 0 ? mutator.Mutate(signedFeed) : signer.Sign(mutator.Mutate(body));
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
