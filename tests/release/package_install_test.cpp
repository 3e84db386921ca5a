#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/release/release_fixture.h"
#include "tests/support/process.h"
#include "updater/install/close_programs.h"
#include "updater/install/folder_holders.h"
#include "updater/install/install_journal.h"
#include "updater/install/package_install.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/update_log.h"

namespace {

constexpr std::uint8_t kVendor = 3;

std::string SignedManifest(const std::vector<ReleaseFile>& files, const std::string& version, std::uint8_t key = kVendor) {
    std::string xml = ManifestXml(files, "<dir path=\"logs\"/>\n");
    xml.replace(xml.find("product=\"Sample\" version=\"2.0\""), 30,
                "product=\"Feed Test Host\" version=\"" + version + "\"");
    return Signed(key, xml);
}

std::vector<ReleaseFile> Release(const wchar_t* host, const std::string& changing) {
    return {{"App.exe", ReadWholeFile(ProgramFolder() + host)},
            {"updater.exe", "updater of every release"},
            {"plugins/audio/codec.dll", std::string(90000, 'c')},
            {"data/empty.bin", ""},
            {"data/changing.txt", changing},
            {"data/user.cfg", "the release's own settings"}};
}

// An installation of release 1.0.0 as an installer lays it out, with files the user added.
struct Installed {
    ScratchFolder scratch{L"package-install"};
    std::wstring root = scratch.Path() + L"root";
    std::wstring launcher = root + L"\\App.exe";
    std::wstring live = root + L"\\app-1.0.0";
    std::wstring next = root + L"\\app-2.0.0";

    Installed() {
        std::vector<ReleaseFile> files = Release(L"host_app_v1.exe", "one");
        files.erase(files.end() - 1);  // the user's data/user.cfg is theirs in 1.0.0
        CreateFoldersAlong(scratch.Path(), L"root/app-1.0.0/logs/x");
        for (const ReleaseFile& file : files) {
            CreateFoldersAlong(live, FromUtf8(file.path));
            WriteWholeFile(ReleasePath(live, FromUtf8(file.path)), file.content);
        }
        const std::string manifest = SignedManifest(files, "1.0.0");
        WriteWholeFile(live + L"\\.upd-manifest", manifest);
        CopyFileW((ProgramFolder() + L"launcher.exe").c_str(), launcher.c_str(), FALSE);
        ReleasePointer pointer{L"app-1.0.0", {}};
        Sha256 hash;
        hash.Update(manifest.data(), manifest.size());
        hash.Finish(pointer.manifestSha256);
        WriteWholeFile(root + L"\\current", FormatReleasePointer(pointer));
        for (const auto& [path, content] : UserFiles()) WriteWholeFile(ReleasePath(live, path), content);
    }
    ~Installed() {
        InstallTimings quick;
        CloseHolders(FindFolderHolders(root, launcher), quick);
    }

    static std::vector<std::pair<std::wstring, std::string>> UserFiles() {
        return {{L"notes.txt", "mine"}, {L"plugins/audio/extra.dll", "MZ a plug-in"}, {L"data/user.cfg", "my settings"}};
    }

    std::wstring Package(const std::string& manifest, const std::vector<ReleaseFile>& files) const {
        const std::vector<uint8_t> zip = PackageZip(manifest, files);
        const std::wstring path = scratch.Path() + L"package.zip";
        WriteWholeFile(path, std::string(zip.begin(), zip.end()));
        return path;
    }

    std::wstring Current() const {
        ReleasePointer pointer;
        return ReadCurrent(root, pointer) ? pointer.folder : L"";
    }
};

InstallTimings Quick() {
    InstallTimings timings;
    timings.settleMs = 10;
    return timings;
}

TEST(PackageInstall, SwitchesToTheNewReleaseCarriesTheUserFilesAndCleansTheOldUp) {
    _putenv("UPDATER_TEST_START_WATCH_MS=300");
    Installed installed;
    const std::vector<ReleaseFile> files = Release(L"host_app_v2.exe", "two");
    const std::wstring zip = installed.Package(SignedManifest(files, "2.0.0"), files);
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
        {"a flipped byte", SignedManifest(good, "2.0.0"), flipped},
        {"another key", SignedManifest(good, "2.0.0", kVendor + 1), good},
        {"an unsafe path", SignedManifest({{"../App.exe", "x"}}, "2.0.0"), {{"../App.exe", "x"}}},
        {"a main program of another version", SignedManifest(older, "2.0.0"), older},
        {"the live release again", SignedManifest(good, "1.0.0"), good},
    };
    for (const auto& c : cases) {
        Installed installed;
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

}  // namespace
