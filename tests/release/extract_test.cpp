#include <gtest/gtest.h>

#include "tests/release/release_fixture.h"
#include "tests/support/process.h"
#include "updater/install/file_fingerprint.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/update_log.h"

namespace {

struct Unpacked {
    bool ok = false;
    PackageRefusal refusal;
};

Unpacked Unpack(const std::vector<uint8_t>& zip, const std::wstring& folder, const std::vector<Ed25519Key>& keys) {
    Unpacked result;
    const std::wstring zipPath = folder + L"package.zip";
    WriteWholeFile(zipPath, std::string(zip.begin(), zip.end()));
    std::string bytes;
    PackageManifest manifest;
    CreateDirectoryW((folder + L"app-2.0").c_str(), nullptr);
    result.ok = ReadPackageManifest(zipPath, keys, bytes, manifest, result.refusal) &&
                ExtractPackage(zipPath, manifest, bytes, folder + L"app-2.0", result.refusal);
    return result;
}

TEST(PackageExtract, WritesEveryListedFileByteForByteAndTheManifestLast) {
    ScratchFolder scratch(L"extract-whole");
    std::vector<ReleaseFile> files = SmallRelease();
    // Three levels and a path past MAX_PATH.
    files.push_back({"deep/" + std::string(120, 'n') + "/" + std::string(120, 'm') + "/long.txt", "far down"});
    const std::string manifest = Signed(1, ManifestXml(files, "<dir path=\"logs/old\"/>"));
    const Unpacked unpacked = Unpack(PackageZip(manifest, files), scratch.Path(), {TestKey(1)});
    ASSERT_TRUE(unpacked.ok) << unpacked.refusal.rule;
    const std::wstring release = scratch.Path() + L"app-2.0";
    for (const ReleaseFile& file : files) {
        EXPECT_EQ(file.content, ReadWholeFile(ReleasePath(release, FromUtf8(file.path)))) << file.path;
    }
    EXPECT_EQ(manifest, ReadWholeFile(release + L"\\.upd-manifest"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((release + L"\\logs\\old").c_str()));
}

TEST(PackageExtract, RefusesWhatTheManifestDoesNotVouchFor) {
    const std::vector<ReleaseFile> files = SmallRelease();
    const std::string manifest = Signed(1, ManifestXml(files));
    std::vector<ReleaseFile> flipped = files, shorter = files, unlisted = files, twice = files, missing = files;
    flipped[2].content[40000] ^= 1;
    shorter[2].content.pop_back();
    unlisted.push_back({"extra.dll", "x"});
    twice.push_back(files[1]);
    missing.pop_back();
    std::vector<ZipTestEntry> notFirst = {{"App.exe", files[0].content}, {".upd-manifest", manifest}};
    std::vector<ZipTestEntry> sneaky = {{".upd-manifest", manifest}, {"../App.exe", files[0].content}};
    std::vector<ZipTestEntry> badCrc = {{".upd-manifest", manifest}, {"App.exe", files[0].content}};
    badCrc[1].corruptChecksum = true;
    std::vector<ZipTestEntry> caseTwin = {{".upd-manifest", manifest}, {"App.exe", files[0].content},
                                          {"APP.EXE", files[0].content}};
    const struct {
        const char* name;
        std::vector<uint8_t> zip;
        std::wstring path;
        std::string rule;
        std::vector<Ed25519Key> keys = {TestKey(1)};
    } cases[] = {
        {"one flipped byte", PackageZip(manifest, flipped), L"lib/core.dll", "a SHA-256 that differs"},
        {"one byte short", PackageZip(manifest, shorter), L"lib/core.dll", "a size that differs"},
        {"an entry not listed", PackageZip(manifest, unlisted), L"extra.dll", "a path the manifest does not list"},
        {"an entry twice", PackageZip(manifest, twice), L"updater.exe", "a path the archive holds twice"},
        {"a listed file missing", PackageZip(manifest, missing), L"lib/data/empty.bin", "a listed file is missing"},
        {"manifest not first", BuildZip(notFirst), L".upd-manifest", "the manifest is not the first entry"},
        {"an unsafe entry", BuildZip(sneaky), L"../App.exe", "a step up or in place (.. or .)"},
        {"a damaged entry", BuildZip(badCrc), L"App.exe", "a damaged entry (checksum)"},
        {"the same path in another case", BuildZip(caseTwin), L"APP.EXE", "a path the archive holds twice"},
        {"signed by another key", PackageZip(Signed(2, ManifestXml(files)), files), L".upd-manifest",
         "no installed key verifies the signature"},
    };
    for (const auto& c : cases) {
        ScratchFolder scratch(L"extract-refused");
        const Unpacked unpacked = Unpack(c.zip, scratch.Path(), c.keys);
        EXPECT_FALSE(unpacked.ok) << c.name;
        EXPECT_EQ(c.path, unpacked.refusal.path) << c.name;
        EXPECT_EQ(c.rule, unpacked.refusal.rule) << c.name;
        // Without its manifest the folder is never taken for a whole release.
        EXPECT_FALSE(FileExists(scratch.Path() + L"app-2.0\\.upd-manifest")) << c.name;
    }
}

}  // namespace

namespace {

// The staging of a next release beside the live one: unchanged files become hard links to the
// live files (one file on disk, so no second copy is written), the others are unpacked, and
// `current` moves by one rename.
TEST(ReleaseFiles, StagesUnchangedFilesAsLinksAndSwitchesByOneRename) {
    ScratchFolder scratch(L"stage-links");
    const std::vector<ReleaseFile> files = SmallRelease();
    ASSERT_TRUE(Unpack(PackageZip(Signed(1, ManifestXml(files)), files), scratch.Path(), {TestKey(1)}).ok);
    const std::wstring live = scratch.Path() + L"app-2.0";
    std::vector<ReleaseFile> next = files;
    next[0].content = "MZ main program, next";
    std::string xml = ManifestXml(next);
    xml.replace(xml.find("version=\"2.0\""), 13, "version=\"2.1\"");
    const std::string bytes = Signed(1, xml);
    PackageManifest liveManifest, nextManifest;
    PackageRefusal refusal;
    ASSERT_TRUE(ParsePackageManifest(ManifestXml(files), liveManifest, refusal));
    ASSERT_TRUE(ParsePackageManifest(xml, nextManifest, refusal));
    WriteWholeFile(scratch.Path() + L"next.zip", [&] {
        const std::vector<uint8_t> zip = PackageZip(bytes, next);
        return std::string(zip.begin(), zip.end());
    }());
    WriteWholeFile(live + L"\\updater.exe", "changed by someone");  // no longer what both list

    EXPECT_TRUE(RoomFor(scratch.Path(), 1));
    EXPECT_FALSE(RoomFor(scratch.Path(), 1ull << 62));  // no volume is that large
    const std::wstring staged = scratch.Path() + L"app-2.1";
    CreateDirectoryW(staged.c_str(), nullptr);
    const std::vector<std::wstring> unchanged = UnchangedFiles(liveManifest, nextManifest);
    EXPECT_EQ((std::vector<std::wstring>{L"updater.exe", L"lib/core.dll", L"lib/data/empty.bin"}), unchanged);
    const std::vector<std::wstring> left = LinkUnchanged(live, staged, nextManifest, unchanged);
    EXPECT_EQ(std::vector<std::wstring>{L"updater.exe"}, left);
    std::vector<std::wstring> linked;
    for (const std::wstring& path : unchanged) {
        if (path != L"updater.exe") linked.push_back(path);
    }
    ASSERT_TRUE(ExtractPackage(scratch.Path() + L"next.zip", nextManifest, bytes, staged, refusal, linked))
        << refusal.rule;
    for (const ReleaseFile& file : next) {
        EXPECT_EQ(file.content, ReadWholeFile(ReleasePath(staged, FromUtf8(file.path)))) << file.path;
    }
    FileIdentity a, b;
    ASSERT_TRUE(IdentityOf(live + L"\\lib\\core.dll", a) && IdentityOf(staged + L"\\lib\\core.dll", b));
    EXPECT_EQ(a, b);

    ReleasePointer pointer{L"app-2.1", {}}, read;
    pointer.manifestSha256[31] = 7;
    ASSERT_TRUE(SwitchCurrent(scratch.Path(), pointer));
    ASSERT_TRUE(ReadCurrent(scratch.Path(), read));
    EXPECT_EQ(L"app-2.1", read.folder);
    EXPECT_EQ(pointer.manifestSha256, read.manifestSha256);
    EXPECT_FALSE(FileExists(scratch.Path() + L"current.new"));
}

}  // namespace

namespace {

// The clean-up of an old release: what it lists goes (a read-only file too), what it does not
// know stays with the folders on its way, a file still held is left for a later run.
TEST(ReleaseFiles, CleanUpRemovesOnlyThePlannedFilesAndRetriesHeldOnes) {
    ScratchFolder scratch(L"clean-up");
    const std::wstring old = scratch.Path() + L"app-1.0";
    CreateFoldersAlong(scratch.Path(), L"app-1.0/lib/deep/x");
    CreateFoldersAlong(scratch.Path(), L"app-1.0/user/x");
    for (const wchar_t* path : {L"App.exe", L"lib\\deep\\a.dll", L"readonly.txt", L"user\\notes.txt"}) {
        WriteWholeFile(old + L"\\" + path, "x");
    }
    SetFileAttributesW((old + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    CleanUpPlan plan;
    plan.remove = {L"App.exe", L"lib/deep/a.dll", L"readonly.txt"};
    plan.keep = {L"user/notes.txt"};
    {
        UniqueHandle held(CreateFileW((old + L"\\App.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(std::vector<std::wstring>{L"App.exe"}, RemoveReleaseFiles(old, plan));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"App.exe", L"user/notes.txt"}), FilesBelow(old));
    EXPECT_TRUE(RemoveReleaseFiles(old, plan).empty());
    EXPECT_EQ(std::vector<std::wstring>{L"user/notes.txt"}, FilesBelow(old));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((old + L"\\lib").c_str()));
    plan.remove = plan.keep;
    EXPECT_TRUE(RemoveReleaseFiles(old, plan).empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(old.c_str()));
}

}  // namespace
