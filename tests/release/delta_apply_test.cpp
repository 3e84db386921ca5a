#include <gtest/gtest.h>

#include "delta_command.h"
#include "delta_writer.h"
#include "tests/release/release_fixture.h"
#include "tests/support/process.h"
#include "updater/feed/appcast.h"
#include "updater/package/delta_apply.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/update_log.h"

namespace {

// Bytes that compress poorly, the same on every run.
std::string Noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& ch : bytes) {
        seed = seed * 1664525u + 1013904223u;
        ch = static_cast<char>(seed >> 24);
    }
    return bytes;
}

std::vector<ReleaseFile> BaseFiles() {
    return {{"App.exe", Noise(300000, 1)}, {"updater.exe", Noise(50000, 2)}, {"lib/core.dll", std::string(70000, 'd')},
            {"res/big.pak", Noise(1 << 20, 3)}, {"lib/data/empty.bin", ""}};
}

// A patch release: the program changes in a few places, a library moves, a file is added.
std::vector<ReleaseFile> TargetFiles() {
    std::vector<ReleaseFile> files = BaseFiles();
    files[0].content.replace(1000, 8, "VERSION2");
    files[0].content.replace(200000, 5, "patch");
    files[2].path = "lib2/core.dll";
    files.push_back({"notes.txt", "what is new"});
    return files;
}

ReleaseSide WriteRelease(const std::wstring& folder, const std::vector<ReleaseFile>& files) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const ReleaseFile& file : files) {
        CreateFoldersAlong(folder, FromUtf8(file.path));
        WriteWholeFile(ReleasePath(folder, FromUtf8(file.path)), file.content);
    }
    ReleaseSide side;
    side.folder = folder;
    side.manifestBytes = Signed(1, ManifestXml(files));
    WriteWholeFile(ReleasePath(folder, kManifestName), side.manifestBytes);
    PackageRefusal refusal;
    EXPECT_TRUE(VerifyPackageManifest(side.manifestBytes, {TestKey(1)}, side.manifest, refusal)) << refusal.rule;
    return side;
}

Sha256Digest DigestOf(const std::string& bytes) {
    Sha256Digest digest{};
    Sha256Of(bytes, digest);
    return digest;
}

DWORD LinkCount(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return file && GetFileInformationByHandle(file.Get(), &info) ? info.nNumberOfLinks : 0;
}

struct DeltaCase {
    ScratchFolder scratch{L"delta-apply"};
    ReleaseSide live, next;
    std::wstring delta, newFolder;
    DeltaApplication application;

    DeltaCase() {
        live = WriteRelease(scratch.Path() + L"app-1.0", BaseFiles());
        next = WriteRelease(scratch.Path() + L"built-2.0", TargetFiles());
        delta = scratch.Path() + L"App-1.0-to-2.0.delta";
        std::string error;
        EXPECT_TRUE(WriteDelta(live, next, delta, error)) << error;
        newFolder = scratch.Path() + L"app-2.0";
        CreateDirectoryW(newFolder.c_str(), nullptr);
        application = {delta, live.folder, &live.manifest, DigestOf(live.manifestBytes), {TestKey(1)}, newFolder};
    }

    void ExpectWholeTarget() const {
        for (const ReleaseFile& file : TargetFiles()) {
            EXPECT_EQ(file.content, ReadWholeFile(ReleasePath(newFolder, FromUtf8(file.path)))) << file.path;
        }
        EXPECT_EQ(next.manifestBytes, ReadWholeFile(ReleasePath(newFolder, kManifestName)));
    }
};

TEST(DeltaApply, MakesTheNextReleaseFromTheLiveOneAndCostsLittle) {
    DeltaCase c;
    DeltaOutcome outcome;
    ASSERT_TRUE(ApplyDelta(c.application, outcome)) << Utf8(outcome.refusal.path) << ": " << outcome.refusal.rule;
    c.ExpectWholeTarget();
    EXPECT_EQ(c.next.manifest.files.size(), outcome.verified.size());
    EXPECT_EQ(2u, LinkCount(ReleasePath(c.newFolder, L"lib2/core.dll")));  // moved content: a link, not a copy
    // About 1.4 MiB of poorly compressible files, two small changes: the delta stays tiny.
    EXPECT_LT(ReadWholeFile(c.delta).size(), 16u * 1024);
}

// Each way a delta can fail keeps what it verified, removes what it did not, writes no
// manifest, and the full package completes the folder from what is missing.
TEST(DeltaApply, AnyFailureKeepsTheVerifiedFilesAndThePackageCompletesThem) {
    const struct {
        const char* name;
        void (*spoil)(DeltaCase&);
        const wchar_t* path;
        const char* rule;  // null: any rule
    } cases[] = {
        {"a dictionary file changed in the live release",
         [](DeltaCase& c) { WriteWholeFile(ReleasePath(c.live.folder, L"App.exe"), Noise(300000, 9)); }, L"App.exe",
         "a base file that changed"},
        {"a copied file changed in the live release",
         [](DeltaCase& c) { WriteWholeFile(ReleasePath(c.live.folder, L"lib/core.dll"), std::string(70000, 'e')); },
         L"lib/core.dll", "a base file that changed"},
        {"a flipped byte in a frame",
         [](DeltaCase& c) {
             std::string bytes = ReadWholeFile(c.delta);
             bytes[bytes.size() - 10] ^= 0x40;
             WriteWholeFile(c.delta, bytes);
         },
         nullptr, nullptr},
        {"a delta cut short",
         [](DeltaCase& c) { const std::string bytes = ReadWholeFile(c.delta); WriteWholeFile(c.delta, bytes.substr(0, bytes.size() - 1)); }, L"",
         "a delta whose length differs from its header"},
        {"a delta for another base", [](DeltaCase& c) { c.application.liveManifestSha256[0] ^= 1; }, L".upd-manifest",
         "a delta made for another base release"},
        {"a manifest the program's keys did not sign", [](DeltaCase& c) { c.application.keys = {TestKey(2)}; },
         nullptr, nullptr},
    };
    for (const auto& each : cases) {
        DeltaCase c;
        each.spoil(c);
        DeltaOutcome outcome;
        EXPECT_FALSE(ApplyDelta(c.application, outcome)) << each.name;
        if (each.path != nullptr) {
            EXPECT_EQ(std::wstring(each.path), outcome.refusal.path) << each.name;
        }
        if (each.rule != nullptr) {
            EXPECT_EQ(each.rule, outcome.refusal.rule) << each.name;
        }
        EXPECT_FALSE(outcome.refusal.rule.empty()) << each.name;
        EXPECT_FALSE(FileExists(ReleasePath(c.newFolder, kManifestName))) << each.name;
        const std::vector<std::wstring> present = FilesBelow(c.newFolder);
        EXPECT_EQ(outcome.verified.size(), present.size()) << each.name;  // nothing unverified is left
        const std::wstring zip = c.scratch.Path() + L"App-2.0.zip";
        const std::vector<uint8_t> package = PackageZip(c.next.manifestBytes, TargetFiles());
        WriteWholeFile(zip, std::string(package.begin(), package.end()));
        PackageRefusal refusal;
        ASSERT_TRUE(CompleteFromPackage(zip, {TestKey(1)}, outcome, c.newFolder, refusal)) << each.name << refusal.rule;
        c.ExpectWholeTarget();
    }
}

TEST(DeltaApply, WhenThePackageFailsTooTheLiveReleaseIsUntouched) {
    DeltaCase c;
    WriteWholeFile(c.delta, ReadWholeFile(c.delta).substr(0, 100));
    DeltaOutcome outcome;
    ASSERT_FALSE(ApplyDelta(c.application, outcome));
    std::vector<ReleaseFile> files = TargetFiles();
    files[0].content[5] ^= 1;  // the package's program differs from what its manifest lists
    const std::wstring zip = c.scratch.Path() + L"App-2.0.zip";
    const std::vector<uint8_t> package = PackageZip(c.next.manifestBytes, files);
    WriteWholeFile(zip, std::string(package.begin(), package.end()));
    PackageRefusal refusal;
    EXPECT_FALSE(CompleteFromPackage(zip, {TestKey(1)}, outcome, c.newFolder, refusal));
    EXPECT_EQ("App.exe", Utf8(refusal.path));
    EXPECT_FALSE(FileExists(ReleasePath(c.newFolder, kManifestName)));
    for (const ReleaseFile& file : BaseFiles()) {
        EXPECT_EQ(file.content, ReadWholeFile(ReleasePath(c.live.folder, FromUtf8(file.path)))) << file.path;
    }
}

std::wstring WritePackage(const std::wstring& path, const std::string& version, const std::vector<ReleaseFile>& files) {
    std::string xml = ManifestXml(files);
    xml.replace(xml.find("version=\"2.0\""), 13, "version=\"" + version + "\"");
    const std::vector<uint8_t> zip = PackageZip(Signed(1, xml), files);
    WriteWholeFile(path, std::string(zip.begin(), zip.end()));
    return path;
}

// The feed lines the vendor pastes are read back by the updater's own appcast reader, and
// their signature and base manifest are those of the delta and of the old package.
TEST(DeltaCommand, WritesTheDeltaAndFeedLinesTheUpdaterReads) {
    ScratchFolder scratch(L"delta-command");
    const std::wstring folder = scratch.Path().substr(0, scratch.Path().size() - 1);
    const DeltaRequest request{WritePackage(scratch.Path() + L"App-1.0.zip", "1.0", BaseFiles()),
                               WritePackage(scratch.Path() + L"App-2.0.zip", "2.0", TargetFiles()), folder};
    DeltaResult result;
    std::string error;
    ASSERT_TRUE(MakeDelta(request, TestSeed(1), result, error)) << error;
    ASSERT_TRUE(result.written);
    EXPECT_EQ(scratch.Path() + L"App-1.0-to-2.0.delta", result.delta);
    EXPECT_EQ(result.feedItem, ReadWholeFile(result.delta + L"-item.txt"));
    const std::string feed = "<rss xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle' "
                             "xmlns:upd='urn:updater:feed:1'><channel><item>" + result.feedItem +
                             "</item></channel></rss>";
    AppcastFeed parsed;
    ASSERT_EQ(AppcastStatus::Ok, ParseAppcast(feed, parsed));
    ASSERT_EQ(1u, parsed.items.size());
    ASSERT_EQ(1u, parsed.items[0].deltas.size());
    const DeltaEnclosure& delta = parsed.items[0].deltas[0];
    EXPECT_EQ(L"1.0", delta.deltaFrom);
    EXPECT_EQ(L"App-1.0-to-2.0.delta", delta.url);
    const std::string bytes = ReadWholeFile(result.delta);
    EXPECT_EQ(bytes.size(), delta.length);
    EXPECT_EQ(bytes.size(), result.deltaBytes);
    std::vector<uint8_t> signature;
    ASSERT_TRUE(Base64Decode(Utf8(delta.edSignature), signature));
    EXPECT_EQ(0, VerifyWithAnyKey(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), signature, {TestKey(1)}));
    std::string oldManifest;
    PackageManifest manifest;
    PackageRefusal refusal;
    ASSERT_TRUE(ReadPackageManifest(request.oldPackage, {TestKey(1)}, oldManifest, manifest, refusal));
    EXPECT_EQ(DigestOf(oldManifest), Sha256Digest(delta.baseManifest));
    EXPECT_EQ(4u, FilesIn(scratch.Path()).size()) << "the two packages, the delta, its feed lines; no scratch left";
}

TEST(DeltaCommand, WritesNoneWhenTheDeltaWouldPassHalfThePackage) {
    ScratchFolder scratch(L"delta-none");
    std::vector<ReleaseFile> rebuilt = BaseFiles();
    for (size_t i = 0; i < rebuilt.size(); ++i) rebuilt[i].content = Noise(rebuilt[i].content.size(), 100 + i);
    const DeltaRequest request{WritePackage(scratch.Path() + L"App-1.0.zip", "1.0", BaseFiles()),
                               WritePackage(scratch.Path() + L"App-2.0.zip", "2.0", rebuilt),
                               scratch.Path().substr(0, scratch.Path().size() - 1)};
    DeltaResult result;
    std::string error;
    ASSERT_TRUE(MakeDelta(request, TestSeed(1), result, error)) << error;
    EXPECT_FALSE(result.written);
    EXPECT_GT(result.deltaBytes * 2, result.fullBytes);
    EXPECT_EQ(2u, FilesIn(scratch.Path()).size()) << "only the two packages";
}

}  // namespace
