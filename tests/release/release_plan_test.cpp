#include <gtest/gtest.h>

#include "tests/release/release_fixture.h"
#include "updater/package/package_manifest.h"
#include "updater/package/release_plan.h"

namespace {

PackageManifest Manifest(const std::vector<ReleaseFile>& files, const std::string& version) {
    std::string xml = ManifestXml(files);
    xml.replace(xml.find("version=\"2.0\""), 13, "version=\"" + version + "\"");
    PackageManifest manifest;
    PackageRefusal refusal;
    EXPECT_TRUE(ParsePackageManifest(xml, manifest, refusal)) << refusal.rule;
    return manifest;
}

const std::vector<ReleaseFile> kLive = {{"App.exe", "old main"}, {"updater.exe", "updater"}, {"lib/a.dll", "a"},
                                        {"lib/b.dll", "b1"}};
const std::vector<ReleaseFile> kNext = {{"App.exe", "new main"}, {"updater.exe", "updater"}, {"LIB/A.DLL", "a"},
                                        {"lib/b.dll", "b2"}, {"plugins/user.dll", "shipped now"}};

TEST(ReleasePlan, SharesOnlyWhatIsUnchangedByContentAndNeedsRoomForTheRest) {
    const PackageManifest next = Manifest(kNext, "2.0");
    const std::vector<std::wstring> same = UnchangedFiles(Manifest(kLive, "1.0"), next);
    EXPECT_EQ((std::vector<std::wstring>{L"updater.exe", L"LIB/A.DLL"}), same);
    // "new main" 8, "b2" 2, "shipped now" 11, and a 100-byte manifest; a differently cased link counts.
    EXPECT_EQ(121u, BytesToStage(next, {L"UPDATER.EXE", L"lib/a.dll"}, 100));
    EXPECT_EQ(129u, BytesToStage(next, {}, 100));
}

TEST(ReleasePlan, CarriesTheUsersFilesAndTheReleaseWinsAClash) {
    const PackageManifest live = Manifest(kLive, "1.0"), next = Manifest(kNext, "2.0");
    const std::vector<std::wstring> found = {L".upd-manifest", L"App.exe",         L"lib/a.dll", L"lib/b.dll",
                                             L"updater.exe",   L"Plugins/User.dll", L"settings.ini", L"lib/cache/x"};
    const std::vector<CarriedFile> carried = PlanCarryOver(live, next, found);
    ASSERT_EQ(3u, carried.size());
    EXPECT_EQ(L"Plugins/User.dll", carried[0].from);
    EXPECT_EQ(L"Plugins/User.dll.user-1.0", carried[0].to);
    EXPECT_EQ(L"settings.ini", carried[1].to);
    EXPECT_EQ(L"lib/cache/x", carried[2].to);

    // The old folder loses only what its manifest lists and what went along; a file that
    // appeared after the carry-over (a log the old program still wrote) stays.
    const CleanUpPlan plan = PlanCleanUp(live, carried, {L".upd-manifest", L"App.exe", L"settings.ini", L"late.log"});
    EXPECT_EQ((std::vector<std::wstring>{L".upd-manifest", L"App.exe", L"settings.ini"}), plan.remove);
    EXPECT_EQ(std::vector<std::wstring>{L"late.log"}, plan.keep);
}

}  // namespace
