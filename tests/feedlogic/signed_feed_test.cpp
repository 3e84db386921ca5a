#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/feedlogic/test_keys.h"
#include "tests/support/process.h"
#include "tests/support/unix_tools.h"
#include "updater/feed/signed_feed.h"

namespace {

const std::string kBody = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel/></rss>\n";

TEST(SignedFeed, VerifiesOnlyWhatAnInstalledKeySigned) {
    const std::string good = Signed(1, kBody);
    struct Case {
        const char* name;
        std::string whole;
        FeedSignatureStatus status;
        int key = -1;  // the index of the key that verifies
        std::string signedBytes = "";
        std::vector<Ed25519Key> keys = {TestKey(1)};
    } const cases[] = {
        {"signed", good, FeedSignatureStatus::Verified, 0, kBody},
        {"second key of two", Signed(2, kBody), FeedSignatureStatus::Verified, 1, kBody, {TestKey(1), TestKey(2)}},
        {"white space after the comment", good + "\r\n \n", FeedSignatureStatus::Verified, 0, kBody},
        {"last of two blocks wins", Signed(2, good), FeedSignatureStatus::Verified, 0, good, {TestKey(2)}},
        {"unsigned", kBody, FeedSignatureStatus::Unsigned},
        // A feed converted to CRLF after signing: the block is there, it does not parse.
        {"marker with CRLF", kBody + "<!-- sparkle-signatures:\r\nedSignature: x\r\n-->", FeedSignatureStatus::Malformed},
        {"wrong key", good, FeedSignatureStatus::NoKeyVerifies, -1, "", {TestKey(2)}},
        {"byte changed after signing", "<?xml version=\"1.1\"?>" + good.substr(21), FeedSignatureStatus::NoKeyVerifies},
        {"a bad block after a good one", Signed(2, good), FeedSignatureStatus::NoKeyVerifies},
        {"length one more", kBody + SignatureBlock(1, kBody, kBody.size() + 1), FeedSignatureStatus::LengthMismatch},
        {"text after the comment", good + "<rss/>", FeedSignatureStatus::Malformed},
        {"no closing", good.substr(0, good.size() - 4), FeedSignatureStatus::Malformed},
        {"no length line", kBody + "<!-- sparkle-signatures:\nedSignature: " + std::string(86, 'A') + "==\n-->\n",
         FeedSignatureStatus::Malformed},
        {"short signature", kBody + "<!-- sparkle-signatures:\nedSignature: AAAA\nlength: 57\n-->\n",
         FeedSignatureStatus::Malformed},
        {"unknown line", kBody + SignatureBlock(1, kBody, kBody.size()).insert(25, "key: 1\n"),
         FeedSignatureStatus::Malformed},
        {"signed length not a number",
         kBody + "<!-- sparkle-signatures:\nedSignature: " + std::string(86, 'A') + "==\nlength: -1\n-->\n",
         FeedSignatureStatus::Malformed},
    };
    for (const Case& c : cases) {
        std::string_view signedBytes = "untouched";
        int key = 7;
        EXPECT_EQ(c.status, VerifySignedFeed(c.whole, c.keys, signedBytes, &key)) << c.name;
        EXPECT_EQ(c.key, key) << c.name;
        EXPECT_EQ(c.signedBytes, std::string(signedBytes)) << c.name;
    }
}

TEST(SignedFeed, KeyTextKeepsTheWellFormedKeys) {
    const std::string one = Base64Encode(TestKey(1).data(), 32), two = Base64Encode(TestKey(2).data(), 32);
    std::vector<std::string> skipped;
    const std::string text = "\t" + one + "\r\n" + one.substr(0, 40) + " " + one + "x " + two + "\n" + std::string(2, '\0');
    const std::vector<Ed25519Key> keys = ParseEd25519Keys(text, &skipped);
    EXPECT_EQ((std::vector<Ed25519Key>{TestKey(1), TestKey(2)}), keys);
    EXPECT_EQ((std::vector<std::string>{one.substr(0, 40), one + "x"}), skipped);
    std::vector<std::uint8_t> bytes;
    for (const char* bad : {"AAA", "AA=A", "A===", "AB==", "AAA\n", "@AAA"}) EXPECT_FALSE(Base64Decode(bad, bytes)) << bad;
    ASSERT_TRUE(Base64Decode("AA==", bytes));
    EXPECT_EQ(std::vector<std::uint8_t>{0}, bytes);
}

// The key resource of this very program (feed_keys.rc), read as data under a German language id.
TEST(SignedFeed, ProgramKeysComeFromTheResourceInAnyLanguage) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<Ed25519Key> keys;
    ASSERT_EQ(KeyResource::Keys, ReadProgramKeys(self, keys));
    EXPECT_EQ((std::vector<Ed25519Key>{TestKey(1), TestKey(2)}), keys);
    struct Case {
        const wchar_t* program;
        KeyResource found;
    } const cases[] = {
        {L"updater.exe", KeyResource::Missing},
        {L"no-such-program.exe", KeyResource::Missing},
        {L"host_app_v1_eddsa.exe", KeyResource::Keys},  // WinSparkle's EdDSAPub resource of type EDDSA
        {L"host_app_v1_badkeys.exe", KeyResource::NoWellFormedKey},
    };
    for (const Case& c : cases) EXPECT_EQ(c.found, ReadProgramKeys(ProgramFolder() + c.program, keys)) << c.program;
    std::vector<Ed25519Key> vendor;
    ASSERT_EQ(KeyResource::Keys, ReadProgramKeys(ProgramFolder() + L"host_app_v1.exe", vendor));
    ReadProgramKeys(ProgramFolder() + L"host_app_v1_eddsa.exe", keys);
    EXPECT_EQ(vendor, keys);
}

TEST(SignedFeed, FileVerifiesThroughItsMapping) {
    ScratchFolder folder(L"feed-file");
    const std::string content(300000, 'x');
    const auto s = SignBytes(TestSeed(2), reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    const std::vector<std::uint8_t> signature(s.begin(), s.end());
    for (const std::string& bytes : {content, content + "y", std::string()}) {
        ASSERT_TRUE(WriteWholeFile(folder.Path() + L"f.bin", bytes));
        UniqueHandle file(CreateFileW((folder.Path() + L"f.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.Valid());
        EXPECT_EQ(bytes == content ? 1 : -1, VerifyFileWithAnyKey(file.Get(), signature, {TestKey(1), TestKey(2)}));
    }
}

// openssl signs with the PEM this project's tool writes: the key format and the signatures agree.
TEST(SignedFeed, OpensslSignsWithOurKeyAndWeVerifyIt) {
    ScratchFolder folder(L"feed-openssl");
    ASSERT_TRUE(WriteWholeFile(folder.Path() + L"k.pem", PrivateKeyPem(TestSeed(3))));
    ASSERT_TRUE(WriteWholeFile(folder.Path() + L"msg", kBody));
    const std::string dir = UnixPathOf(folder.Path());
    UniqueHandle process;
    ASSERT_TRUE(StartUnixProgram("/bin/sh",
                                 "-c \"cd '" + dir + "' && openssl pkeyutl -sign -rawin -inkey k.pem -in msg -out sig.tmp"
                                 " && openssl pkey -in k.pem -pubout -outform DER -out pub.der && mv sig.tmp sig\"",
                                 process));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(folder.Path() + L"sig"); }, 60000));
    WaitForSingleObject(process.Get(), 5000);
    const std::string sig = ReadWholeFile(folder.Path() + L"sig"), der = ReadWholeFile(folder.Path() + L"pub.der");
    ASSERT_EQ(44u, der.size());
    EXPECT_EQ(0, std::memcmp(der.data() + 12, TestKey(3).data(), 32));
    const std::vector<std::uint8_t> signature(sig.begin(), sig.end());
    EXPECT_EQ(0, VerifyWithAnyKey(reinterpret_cast<const std::uint8_t*>(kBody.data()), kBody.size(), signature,
                                  {TestKey(3)}));
}

}  // namespace
