#include <gtest/gtest.h>

#include "tests/release/release_fixture.h"
#include "tests/support/process.h"
#include "ui/util/zip_archive.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_pointer.h"
#include "updater/trust/program_facts.h"

namespace {

constexpr std::uint8_t kVendor = 5;

// A vendor's release folder: the versioned sample host as the main program, the updater, a
// DLL two levels down, an empty folder and a read-only file.
struct VendorRelease {
    ScratchFolder scratch{L"pack"};
    std::wstring folder = scratch.Path() + L"release";
    std::wstring out = scratch.Path() + L"out";

    VendorRelease() {
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW(out.c_str(), nullptr);
        CopyFileW((ProgramFolder() + L"host_app_v2.exe").c_str(), (folder + L"\\App.exe").c_str(), FALSE);
        CopyFileW((ProgramFolder() + L"updater.exe").c_str(), (folder + L"\\updater.exe").c_str(), FALSE);
        CreateFoldersAlong(folder, L"plugins/audio/x");
        CreateDirectoryW((folder + L"\\logs").c_str(), nullptr);
        WriteWholeFile(folder + L"\\plugins\\audio\\codec.dll", std::string(300000, 'c'));
        WriteWholeFile(folder + L"\\licence.txt", "read only");
        SetFileAttributesW((folder + L"\\licence.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        WriteWholeFile(scratch.Path() + L"vendor.pem", PrivateKeyPem(TestSeed(kVendor)));
    }

    long Pack(const std::wstring& version) {
        ChildProcess tool;
        if (!tool.Start(ProgramFolder() + L"updater-sign.exe", L"pack " + Quoted(folder) + L" --main App.exe --version " +
                                                                   version + L" --key " +
                                                                   Quoted(scratch.Path() + L"vendor.pem") +
                                                                   L" --out " + Quoted(out))) {
            return -2;
        }
        return tool.Wait(60000);
    }
};

bool ExtractEntryTo(const std::wstring& zip, const wchar_t* name, const std::wstring& path) {
    CZipArchive archive;
    if (!archive.OpenFile(zip.c_str()) || !archive.FindEntry(name)) return false;
    std::string bytes(static_cast<size_t>(archive.EntrySize()), '\0');
    return archive.ExtractEntry(&bytes[0], static_cast<unsigned>(bytes.size())) && WriteWholeFile(path, bytes);
}

TEST(PackRelease, MakesAPackageTheUpdaterUnpacksByteForByte) {
    VendorRelease vendor;
    ASSERT_EQ(0, vendor.Pack(L"2.0.0"));
    std::string bytes;
    PackageManifest manifest;
    PackageRefusal refusal;
    const std::wstring package = vendor.out + L"\\App-2.0.0.zip";
    ASSERT_TRUE(ReadPackageManifest(package, {TestKey(kVendor)}, bytes, manifest, refusal)) << refusal.rule;
    EXPECT_EQ(L"Feed Test Host", manifest.product);
    EXPECT_EQ(L"x86", manifest.machine);
    EXPECT_EQ(std::vector<std::wstring>{L"logs"}, manifest.dirs);
    const std::wstring release = vendor.scratch.Path() + L"app-2.0.0";
    CreateDirectoryW(release.c_str(), nullptr);
    ASSERT_TRUE(ExtractPackage(package, manifest, bytes, release, refusal)) << refusal.rule;
    for (const wchar_t* path : {L"App.exe", L"updater.exe", L"plugins\\audio\\codec.dll", L"licence.txt"}) {
        EXPECT_EQ(ReadWholeFile(vendor.folder + L"\\" + path), ReadWholeFile(release + L"\\" + path)) << path;
    }
    EXPECT_NE(0u, GetFileAttributesW((release + L"\\licence.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    // The feed item signs the zip as it was written.
    const std::string item = ReadWholeFile(vendor.out + L"\\App-2.0.0.feed-item.txt");
    EXPECT_NE(std::string::npos, item.find("length=\"" + std::to_string(ReadWholeFile(package).size()) + "\""));
    EXPECT_NE(std::string::npos, item.find("type=\"application/zip\""));
}

TEST(PackRelease, RefusesAVersionTheMainProgramDoesNotCarry) {
    VendorRelease vendor;
    EXPECT_EQ(1, vendor.Pack(L"2.1"));
    EXPECT_FALSE(FileExists(vendor.out + L"\\App-2.1.zip"));
}

// The portable installation, laid out as an installer would: the launcher carries the main
// program's version resource and starts the release `current` names with the same arguments,
// returning its exit code; without `current` it starts the highest whole release.
TEST(Launcher, StartsTheCurrentReleaseWithTheSameArgumentsAndReturnsItsCode) {
    VendorRelease vendor;
    ASSERT_EQ(0, vendor.Pack(L"2.0.0"));
    const std::wstring portable = vendor.out + L"\\App-2.0.0-portable.zip";
    const std::wstring root = vendor.scratch.Path() + L"root\\";
    CreateFoldersAlong(vendor.scratch.Path(), L"root/app-2.0.0/x");
    ASSERT_TRUE(ExtractEntryTo(portable, L"App.exe", root + L"App.exe"));
    ASSERT_TRUE(ExtractEntryTo(portable, L"current", root + L"current"));
    ASSERT_TRUE(ExtractEntryTo(portable, L"app-2.0.0/App.exe", root + L"app-2.0.0\\App.exe"));
    ASSERT_TRUE(ExtractEntryTo(portable, L"app-2.0.0/.upd-manifest", root + L"app-2.0.0\\.upd-manifest"));
    ProgramFacts facts;
    ASSERT_TRUE(ReadProgramFacts(root + L"App.exe", facts));
    EXPECT_EQ(L"Feed Test Host", facts.productName);
    EXPECT_NE(ReadWholeFile(root + L"App.exe"), ReadWholeFile(root + L"app-2.0.0\\App.exe"));

    ChildProcess launcher;
    ASSERT_TRUE(launcher.Start(root + L"App.exe", L"--quit-with=7"));
    EXPECT_EQ(7, launcher.Wait(30000));
    DeleteFileW((root + L"current").c_str());
    CreateFoldersAlong(root, L"app-1.0.0/x");  // no manifest: never whole
    ASSERT_TRUE(launcher.Start(root + L"App.exe", L"--quit-with=9"));
    EXPECT_EQ(9, launcher.Wait(30000));
}

}  // namespace
