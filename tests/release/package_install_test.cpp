#include <gtest/gtest.h>

#include "client/updater_client.h"
#include "tests/release/installed_release.h"
#include "updater/install/install_journal.h"
#include "updater/install/logon_recovery.h"
#include "updater/install/package_install.h"

namespace {

constexpr std::uint8_t kVendor = 3;

InstallTimings Quick() {
    InstallTimings timings;
    timings.settleMs = 10;
    return timings;
}

TEST(PackageInstall, SwitchesToTheNewReleaseCarriesTheUserFilesAndCleansTheOldUp) {
    _putenv("UPDATER_TEST_START_WATCH_MS=300");
    Installed installed(TestSeed(kVendor));
    const std::vector<ReleaseFile> files = Release(L"host_app_v2.exe", "two");
    const std::wstring zip = installed.Package(SignedManifest(files, "2.0.0", TestSeed(kVendor)), files);
    ASSERT_EQ(InstallResult::Installed,
              InstallPackage(zip, installed.launcher, {TestKey(kVendor)}, Quick()));
    EXPECT_EQ(L"app-2.0.0", installed.Current());
    for (const ReleaseFile& file : files) {
        EXPECT_EQ(file.content, ReadWholeFile(ReleasePath(installed.next, FromUtf8(file.path)))) << file.path;
    }
    // The release wins a path the user had; the user's copy is kept beside it.
    EXPECT_EQ("mine", ReadWholeFile(installed.next + L"\\notes.txt"));
    EXPECT_EQ("MZ a plug-in", ReadWholeFile(installed.next + L"\\plugins\\audio\\extra.dll"));
    EXPECT_EQ("my settings", ReadWholeFile(installed.next + L"\\data\\user.cfg.user-1.0.0"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((installed.next + L"\\logs").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(installed.live.c_str()));
    EXPECT_FALSE(FileExists(JournalPathFor(installed.launcher)));
}

// Refused while staging: the live release and `current` untouched, no new folder, no journal.
TEST(PackageInstall, RefusesABadPackageBeforeTheSwitch) {
    _putenv("UPDATER_TEST_START_WATCH_MS=300");
    const std::vector<ReleaseFile> good = Release(L"host_app_v2.exe", "two");
    std::vector<ReleaseFile> flipped = good;
    flipped[2].content[500] ^= 1;
    std::vector<ReleaseFile> older = Release(L"host_app_v1.exe", "two");
    const struct {
        const char* name;
        std::string manifest;
        std::vector<ReleaseFile> files;
    } cases[] = {
        {"a flipped byte", SignedManifest(good, "2.0.0", TestSeed(kVendor)), flipped},
        {"another key", SignedManifest(good, "2.0.0", TestSeed(kVendor + 1)), good},
        {"an unsafe path", SignedManifest({{"../App.exe", "x"}}, "2.0.0", TestSeed(kVendor)), {{"../App.exe", "x"}}},
        {"a main program of another version", SignedManifest(older, "2.0.0", TestSeed(kVendor)), older},
        {"the live release again", SignedManifest(good, "1.0.0", TestSeed(kVendor)), good},
    };
    for (const auto& c : cases) {
        Installed installed(TestSeed(kVendor));
        const std::string before = ReadWholeFile(installed.root + L"\\current");
        EXPECT_NE(InstallResult::Installed,
                  InstallPackage(installed.Package(c.manifest, c.files), installed.launcher, {TestKey(kVendor)},
                                 Quick()))
            << c.name;
        EXPECT_EQ(before, ReadWholeFile(installed.root + L"\\current")) << c.name;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(installed.next.c_str())) << c.name;
        EXPECT_EQ("one", ReadWholeFile(installed.live + L"\\data\\changing.txt")) << c.name;
        EXPECT_FALSE(FileExists(JournalPathFor(installed.launcher))) << c.name;
    }
}

std::wstring RunOnceCommand(const std::wstring& target) {
    wchar_t value[2048] = {};
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                 LogonRecoveryValueName(target).c_str(), RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// The release folder this updater runs from may be the old one, which the clean-up deletes: the
// logon entry and the client name the updater of the release `current` names.
TEST(PackageInstall, TheLogonEntryAndTheClientNameTheCurrentReleasesUpdater) {
    Installed installed(TestSeed(kVendor));
    ASSERT_TRUE(ScheduleLogonRecovery(installed.launcher));
    EXPECT_EQ(LogonRecoveryCommand(installed.live + L"\\updater.exe", installed.launcher),
              RunOnceCommand(installed.launcher));
    EXPECT_EQ(installed.live + L"\\updater.exe", updater_client::CurrentReleaseUpdater(installed.launcher));
    CreateDirectoryW(installed.next.c_str(), nullptr);
    WriteWholeFile(installed.next + L"\\updater.exe", "MZ");
    ASSERT_TRUE(SwitchCurrent(installed.root, ReleasePointer{L"app-2.0.0", {}}));
    ASSERT_TRUE(ScheduleLogonRecovery(installed.launcher));
    EXPECT_EQ(LogonRecoveryCommand(installed.next + L"\\updater.exe", installed.launcher),
              RunOnceCommand(installed.launcher));
    EXPECT_EQ(installed.next + L"\\updater.exe", updater_client::CurrentReleaseUpdater(installed.launcher));
    CancelLogonRecovery(installed.launcher);
    for (const char* bad : {"..\r\nx\r\n", "app-2.0.0\\..\\..\r\nx\r\n", ""}) {
        WriteWholeFile(installed.root + L"\\current", bad);
        EXPECT_EQ(L"", updater_client::CurrentReleaseUpdater(installed.launcher)) << bad;
    }
}

}  // namespace
