// The real updater.exe updating a whole-folder installation in its two-argument form, from a
// loopback server: the package installed, and a cut at every file-system operation leaving
// the folder the launcher starts whole (old or new), settled by the next run.

// The loopback server's socket header must come before windows.h.
#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "signing_key.h"
#include "tests/release/installed_release.h"
#include "updater/install/install_journal.h"
#include "updater/paths.h"

namespace {

// The key the sample hosts carry, so the installed release's keys vouch for the package.
Ed25519Seed VendorSeed() {
    Ed25519Seed seed{};
    ParsePrivateKeyPem(ReadWholeFile(L"Z:" + FromUtf8(TESTS_SOURCE_DIR) + L"/../feed/vendor_key.pem"), seed);
    return seed;
}

// Release 2.0.0 with filler files three folders down, `count` files in all.
std::vector<ReleaseFile> NewRelease(size_t count) {
    std::vector<ReleaseFile> files = Release(L"host_app_v2.exe", "two");
    for (size_t i = 0; files.size() < count; ++i) {
        files.push_back({"deep/er/est/f" + std::to_string(i) + ".bin", std::string(100 + i * 37, char('a' + i % 26))});
    }
    return files;
}

struct PackageUpdate {
    Ed25519Seed seed = VendorSeed();
    Installed installed{seed};
    TestHttpServer server;
    std::vector<ReleaseFile> files;
    std::string oldManifest = ReadWholeFile(installed.live + L"\\.upd-manifest");

    explicit PackageUpdate(size_t count) : files(NewRelease(count)) {
        ShortenUpdaterPauses(100);
        SetEnvironmentVariableW(L"UPDATER_TEST_START_WATCH_MS", L"300");
        const std::string manifest = SignedManifest(files, "2.0.0", seed);
        const std::vector<uint8_t> zip = PackageZip(manifest, files);
        server.Route("/app.zip", HttpResponse::Ok(std::string(zip.begin(), zip.end())));
    }
    ~PackageUpdate() {
        SetEnvironmentVariableW(L"UPDATER_TEST_CUT_AT", nullptr);
        SetEnvironmentVariableW(L"UPDATER_TEST_START_WATCH_MS", nullptr);
        DeleteFileW(TempDownloadPath(installed.launcher).c_str());
    }

    long Run(const std::wstring& arguments) const {
        ChildProcess process;
        if (!process.Start(ProgramFolder() + L"updater.exe", arguments)) return -2;
        return process.Wait(60000);
    }
    long Update() const { return Run(Quoted(server.WideUrl("/app.zip")) + L" " + Quoted(installed.launcher)); }

    // The files a manifest lists are in `folder` byte for byte, and so are the user's.
    ::testing::AssertionResult Holds(const std::wstring& folder, const std::vector<ReleaseFile>& release) const {
        for (const ReleaseFile& file : release) {
            if (ReadWholeFile(ReleasePath(folder, FromUtf8(file.path))) != file.content) {
                return ::testing::AssertionFailure() << "differs: " << file.path;
            }
        }
        for (const auto& [path, content] : Installed::UserFiles()) {
            const bool shipped = std::any_of(release.begin(), release.end(),
                                             [&](const ReleaseFile& f) { return FromUtf8(f.path) == path; });
            if (!shipped && ReadWholeFile(ReleasePath(folder, path)) != content)
                return ::testing::AssertionFailure() << "user file lost: " << Utf8(path);
        }
        return ::testing::AssertionSuccess();
    }

    // What the launcher would start now is one whole release.
    ::testing::AssertionResult LaunchedReleaseIsWhole() const {
        const std::wstring current = installed.Current();
        if (current == L"app-1.0.0") {
            std::vector<ReleaseFile> old = Release(L"host_app_v1.exe", "one");
            old.pop_back();
            return Holds(installed.live, old);
        }
        if (current == L"app-2.0.0") return Holds(installed.next, files);
        return ::testing::AssertionFailure() << "current names \"" << Utf8(current) << "\"";
    }

    ::testing::AssertionResult Updated() const {
        if (installed.Current() != L"app-2.0.0") return ::testing::AssertionFailure() << "not switched";
        if (GetFileAttributesW(installed.live.c_str()) != INVALID_FILE_ATTRIBUTES)
            return ::testing::AssertionFailure() << "the old release folder stays";
        if (FileExists(JournalPathFor(installed.launcher))) return ::testing::AssertionFailure() << "journal stays";
        return Holds(installed.next, files);
    }
};

TEST(PackageUpdate, TheTwoArgumentFormInstallsAPackageSignedByAnInstalledKey) {
    PackageUpdate update(8);
    EXPECT_EQ(1, update.Update());
    EXPECT_TRUE(update.Updated());
    EXPECT_EQ("my settings", ReadWholeFile(update.installed.next + L"\\data\\user.cfg.user-1.0.0"));
}

// The main program (started through the launcher), a helper in a sub-folder and another program
// that loaded the release's plug-in are all closed; one that refuses to close fails the update,
// the old release intact and started again.
TEST(PackageUpdate, ClosesEveryProcessHoldingTheLiveReleaseOrFailsWhole) {
    for (const bool refuses : {false, true}) {
        PackageUpdate update(10);
        const std::wstring live = update.installed.live, other = update.installed.scratch.Path() + L"other.exe";
        CopyFileW((ProgramFolder() + L"host_app_v1.exe").c_str(), other.c_str(), FALSE);
        ChildProcess launcher, helper, loader;
        ASSERT_TRUE(launcher.Start(update.installed.launcher, L""));
        ASSERT_TRUE(helper.Start(live + L"\\tools\\helper.exe", refuses ? L"--ignore-close" : L""));
        ASSERT_TRUE(loader.Start(other, L"--load=" + live + L"\\plugins\\host_plugin.dll"));
        ASSERT_TRUE(WaitUntil(
            [&] { return FindFolderHolders(live, update.installed.launcher).processes.size() == 4; }, 20000));
        ASSERT_TRUE(WaitUntil([&] { return MainWindowsOf({helper.Id(), loader.Id()}).size() == 2; }, 20000));
        update.Update();
        EXPECT_FALSE(loader.Running()) << refuses;
        if (!refuses) {
            EXPECT_TRUE(update.Updated());
            EXPECT_FALSE(helper.Running());
            continue;
        }
        EXPECT_TRUE(update.LaunchedReleaseIsWhole());
        EXPECT_EQ(L"app-1.0.0", update.installed.Current());
        EXPECT_TRUE(AnyProcessRuns(update.installed.launcher));
        // The staged folder shares the helper's file (a hard link), which Windows keeps while it
        // runs: its removal waits for the next run once the helper has ended.
        helper.Terminate();
        EXPECT_EQ(1, update.Run(L"--recover " + Quoted(update.installed.launcher)));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(update.installed.next.c_str()));
        EXPECT_FALSE(FileExists(JournalPathFor(update.installed.launcher)));
    }
}

// Every cut point of a 40-file package: the launcher's release is whole at once; the next run
// (the logon entry's recovery) settles it; an update after that succeeds (tried at every third
// cut).
TEST(PackageUpdate, ACutAnywhereLeavesOneWholeReleaseAndTheNextRunsSettleAndUpdate) {
    // The suite cuts at every other point to keep within its time; PACKAGE_CUT_STRIDE=1 in the
    // environment cuts at every one.
    const char* strideText = std::getenv("PACKAGE_CUT_STRIDE");
    const int stride = strideText != nullptr && std::atoi(strideText) > 0 ? std::atoi(strideText) : 2;
    for (int cut = 1;; cut += stride) {
        PackageUpdate update(40);
        SetEnvironmentVariableA("UPDATER_TEST_CUT_AT", std::to_string(cut).c_str());
        const long code = update.Update();
        SetEnvironmentVariableW(L"UPDATER_TEST_CUT_AT", nullptr);
        if (code != 3) {
            // Past the last cut point: the update ran whole.
            EXPECT_GT(cut, 40);
            EXPECT_TRUE(update.Updated()) << "run without a cut";
            break;
        }
        EXPECT_TRUE(update.LaunchedReleaseIsWhole()) << "cut " << cut;
        EXPECT_EQ(1, update.Run(L"--recover " + Quoted(update.installed.launcher))) << "cut " << cut;
        EXPECT_TRUE(update.LaunchedReleaseIsWhole()) << "cut " << cut;
        EXPECT_FALSE(FileExists(JournalPathFor(update.installed.launcher))) << "cut " << cut;
        // The update after the settle is tried at every third cut, which keeps the suite in its
        // time; the settle itself is checked at every one.
        const bool switched = update.installed.Current() == L"app-2.0.0";
        if (!switched && cut % (3 * stride) != 1) continue;
        if (!switched) {
            EXPECT_EQ(1, update.Update()) << "cut " << cut;
        }
        EXPECT_TRUE(update.Updated()) << "cut " << cut;
    }
}

}  // namespace
