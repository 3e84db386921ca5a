#include <gtest/gtest.h>

#include "tests/release/release_fixture.h"
#include "tests/support/process.h"
#include "updater/package/package_extract.h"
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
