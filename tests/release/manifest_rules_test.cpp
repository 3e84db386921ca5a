#include <gtest/gtest.h>

#include "tests/release/release_fixture.h"
#include "updater/package/package_manifest.h"
#include "updater/package/package_path.h"

namespace {

TEST(PackagePath, RefusesEveryNameThatLeavesTheReleaseOrMeansSomethingElse) {
    const struct {
        const wchar_t* path;
        PathRule rule;
    } cases[] = {
        {L"App.exe", PathRule::Ok},
        {L"a/b/c/d.txt", PathRule::Ok},
        {L"conf/x", PathRule::Ok},
        {L"console.txt", PathRule::Ok},
        {L"COM10", PathRule::Ok},
        {L"..foo", PathRule::Ok},
        {L"", PathRule::Empty},
        {L"a//b", PathRule::Empty},
        {L"a/", PathRule::Empty},
        {L"../x", PathRule::ParentStep},
        {L"a/../../x", PathRule::ParentStep},
        {L"./x", PathRule::ParentStep},
        {L"C:x", PathRule::Drive},
        {L"c:/Windows/x", PathRule::Drive},
        {L"/x", PathRule::LeadingSeparator},
        {L"\\x", PathRule::LeadingSeparator},
        {L"a\\..\\x", PathRule::Backslash},
        {L"a.txt:hidden", PathRule::Stream},
        {L"a.txt::$DATA", PathRule::Stream},
        {L"a?b", PathRule::ReservedCharacter},
        {L"a\tb", PathRule::ReservedCharacter},
        {L"CON", PathRule::DeviceName},
        {L"lib/nul.txt", PathRule::DeviceName},  // with an extension still the device
        {L"con.d/x", PathRule::DeviceName},
        {L"Com1.dll", PathRule::DeviceName},
        {L"LPT9", PathRule::DeviceName},
        {L"aux .txt", PathRule::DeviceName},
        {L"COM\u00B9", PathRule::DeviceName},
        {L"conin$", PathRule::DeviceName},
        {L"a.", PathRule::TrailingDotOrBlank},
        {L"a /b", PathRule::TrailingDotOrBlank},
    };
    for (const auto& c : cases) EXPECT_EQ(c.rule, CheckPackagePath(c.path)) << std::wstring(c.path).c_str();
}

TEST(PackagePath, EqualIgnoringCaseAsTheFileSystemIs) {
    EXPECT_TRUE(SamePathIgnoringCase(L"Lib/Core.DLL", L"lib/core.dll"));
    EXPECT_TRUE(SamePathIgnoringCase(L"\u00E9t\u00E9.txt", L"\u00C9T\u00C9.TXT"));
    EXPECT_TRUE(SamePathIgnoringCase(L"a/b", L"a\\b"));
    EXPECT_FALSE(SamePathIgnoringCase(L"a/b", L"a/bb"));
    EXPECT_FALSE(SamePathIgnoringCase(L"i", L"\u0131"));  // dotless i is another letter
}

TEST(PackageManifest, ReadsAWholeRelease) {
    PackageManifest manifest;
    PackageRefusal refusal;
    ASSERT_TRUE(ParsePackageManifest(ManifestXml(SmallRelease(), "<dir path=\"logs\"/>"), manifest, refusal))
        << refusal.rule;
    EXPECT_EQ(L"Sample", manifest.product);
    EXPECT_EQ(L"2.0", manifest.version);
    EXPECT_EQ(L"App.exe", manifest.main);
    ASSERT_EQ(4u, manifest.files.size());
    EXPECT_EQ(L"lib/core.dll", manifest.files[2].path);
    EXPECT_EQ(70000u, manifest.files[2].size);
    EXPECT_EQ(std::vector<std::wstring>{L"logs"}, manifest.dirs);
    EXPECT_NE(nullptr, manifest.FileAt(L"LIB/CORE.dll"));
}

TEST(PackageManifest, RefusesTheWholeManifestNamingPathAndRule) {
    const std::vector<ReleaseFile> files = SmallRelease();
    const std::string good = ManifestXml(files);
    const std::string file = "<file path=\"x\" size=\"1\" sha256=\"" + std::string(64, 'a') + "\"/>";
    auto with = [&](const std::string& from, const std::string& to) {
        std::string xml = good;
        return xml.replace(xml.find(from), from.size(), to);
    };
    const struct {
        const char* name;
        std::string xml;
        std::wstring path;
        std::string rule;
    } cases[] = {
        {"unsafe path", ManifestXml(files, "<file path=\"../evil.dll\" size=\"0\" sha256=\"" + Sha256Hex("") + "\"/>"),
         L"../evil.dll", "a step up or in place (.. or .)"},
        {"device folder", ManifestXml(files, "<dir path=\"aux\"/>"), L"aux", "a device name"},
        {"equal ignoring case", ManifestXml(files, "<dir path=\"LIB/CORE.DLL\"/>"), L"LIB/CORE.DLL",
         "two paths equal ignoring case"},
        {"file where a folder is", ManifestXml(files, "<dir path=\"App.exe/x\"/>"), L"APP.EXE",
         "a file where a folder is needed"},
        {"manifest listed", ManifestXml(files, "<dir path=\".UPD-manifest\"/>"), L".UPD-manifest",
         "the manifest's own name"},
        {"unknown element", ManifestXml(files, "<link path=\"a\"/>"), L"link", "an unknown element"},
        {"element of another namespace", ManifestXml(files, "<x:file xmlns:x=\"urn:other\" path=\"a\"/>"), L"x:file",
         "an unknown element"},
        {"unknown attribute", ManifestXml(files, "<dir path=\"d\" mode=\"0777\"/>"), L"d",
         "an unknown attribute of <dir>"},
        {"size not a number", with("size=\"15\"", "size=\"-15\""), L"App.exe", "a malformed size"},
        {"short digest", ManifestXml(files, file.substr(0, file.size() - 5) + "\"/>"), L"x", "a malformed SHA-256"},
        {"main not listed", ManifestXml(files, "", "Other.exe"), L"Other.exe",
         "the main program is not an .exe listed at the top of the release"},
        {"main in a folder", ManifestXml(files, "", "lib/core.dll"), L"lib/core.dll",
         "the main program is not an .exe listed at the top of the release"},
        {"no updater", ManifestXml({files[0]}), L"updater.exe", "the release carries no updater"},
        {"wrong namespace", with("urn:updater:package:1", "urn:updater:package:2"), L"",
         "no <package> in namespace urn:updater:package:1"},
        {"unknown machine", with("x86", "mips"), L"", "an unknown machine"},
        {"no version", with("version=\"2.0\"", ""), L"", "no product or version"},
        {"not XML", good.substr(0, good.size() - 4), L"", "not well-formed XML"},
    };
    for (const auto& c : cases) {
        PackageManifest manifest;
        PackageRefusal refusal;
        EXPECT_FALSE(ParsePackageManifest(c.xml, manifest, refusal)) << c.name;
        EXPECT_EQ(c.path, refusal.path) << c.name;
        EXPECT_EQ(c.rule, refusal.rule) << c.name;
    }
}

TEST(PackageManifest, TrustsOnlyAnInstalledKeysSignature) {
    const std::string xml = ManifestXml(SmallRelease());
    PackageManifest manifest;
    PackageRefusal refusal;
    int key = -1;
    EXPECT_TRUE(VerifyPackageManifest(Signed(2, xml), {TestKey(1), TestKey(2)}, manifest, refusal, &key));
    EXPECT_EQ(1, key);
    EXPECT_FALSE(VerifyPackageManifest(Signed(3, xml), {TestKey(1)}, manifest, refusal));
    EXPECT_EQ("no installed key verifies the signature", refusal.rule);
    EXPECT_EQ(L".upd-manifest", refusal.path);
    EXPECT_FALSE(VerifyPackageManifest(xml, {TestKey(1)}, manifest, refusal));
    EXPECT_EQ("unsigned (no signature block)", refusal.rule);
}

}  // namespace
