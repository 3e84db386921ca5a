// The hash fragment and the platform's SHA-256.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"
#include "ui/util/unique_handle.h"
#include "updater/delivery/file_snapshot.h"
#include "updater/delivery/integrity.h"
#include "updater/trust/msi_signature.h"

namespace {

const std::string kAbcDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string DigestOf(const std::string& bytes, size_t piece) {
    Sha256 hasher;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        hasher.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
    }
    Sha256Digest digest = {};
    return hasher.Finish(digest) ? HexDigest(digest) : "failed";
}

}  // namespace

TEST(HashFragment, OnlyAWellFormedSha256FragmentAsksForACheck) {
    struct Case {
        std::string url;
        HashFragment expected;
    } cases[] = {
        {"https://example.test/app.exe", HashFragment::None},
        {"https://example.test/app.exe#top", HashFragment::None},
        {"https://example.test/app.exe#sha256=" + kAbcDigest, HashFragment::Sha256},
        {"https://example.test/app.exe#SHA256=" + std::string(64, 'F'), HashFragment::Sha256},
        {"https://example.test/app.exe#sha256=" + kAbcDigest.substr(1), HashFragment::Malformed},
        {"https://example.test/app.exe#sha256=" + kAbcDigest + "0", HashFragment::Malformed},
        {"https://example.test/app.exe#sha256=" + kAbcDigest.substr(1) + "g", HashFragment::Malformed},
        {"https://example.test/app.exe#sha256:" + kAbcDigest, HashFragment::Malformed},
        {"https://example.test/app.exe#sha256", HashFragment::Malformed},
    };
    for (const Case& c : cases) {
        Sha256Digest digest = {};
        EXPECT_EQ(ParseHashFragment(c.url, digest), c.expected) << c.url;
    }
    Sha256Digest digest = {};
    ASSERT_EQ(ParseHashFragment("x#sha256=" + kAbcDigest, digest), HashFragment::Sha256);
    EXPECT_EQ(HexDigest(digest), kAbcDigest);
}

TEST(Sha256, MatchesKnownDigestsWhateverThePieces) {
    EXPECT_EQ(DigestOf("abc", 1), kAbcDigest);
    EXPECT_EQ(DigestOf("", 1), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    std::string large(1000000, 'a');
    const std::string whole = DigestOf(large, large.size());
    EXPECT_EQ(whole, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(DigestOf(large, 4099), whole);
}

// The copy an installer runs from is the verified download's bytes, held against writers and
// deletion until it is let go.
TEST(FileSnapshotHold, TheHeldCopyIsTheSourceAndRefusesWriters) {
    ScratchFolder scratch{L"snapshot"};
    const std::wstring source = scratch.Path() + L"download.bin", copy = scratch.Path() + L"installer.exe";
    ASSERT_TRUE(WriteWholeFile(source, std::string(70000, 'x') + "end"));
    const UniqueHandle download(
        CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    {
        FileSnapshot snapshot;
        ASSERT_TRUE(snapshot.Take(download.Get(), copy));
        EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(source));
        const UniqueHandle writer(CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(writer) << "a writer got in";
        EXPECT_FALSE(DeleteFileW(copy.c_str()));
    }
    EXPECT_FALSE(FileExists(copy));
}

// A package's streams are hashed in the order of their names' UTF-16LE bytes: the low byte of a
// character counts first, and a name that is a prefix of another comes before it.
TEST(MsiEntryOrder, NamesCompareByTheirLittleEndianBytes) {
    const struct {
        std::wstring first, second;
    } cases[] = {
        {L"\x0100", L"\x00FF"},          // low bytes 0x00 < 0xFF, against code-unit order
        {L"ab", L"abc"},                 // the prefix first
        {L"\x4840\x3F3B", L"\x4840\x3B3F"},  // encoded stream names: low byte 0x3B before 0x3F
        {L"\x05" L"DigitalSignature", L"\x05" L"SummaryInformation"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(MsiEntryBefore(c.first, c.second));
        EXPECT_FALSE(MsiEntryBefore(c.second, c.first));
    }
}
