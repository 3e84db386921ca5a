#include <gtest/gtest.h>

#include "updater/package/delta_format.h"
#include "updater/package/delta_plan.h"

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

PackageFile File(const wchar_t* path, uint64_t size, unsigned char content) {
    PackageFile file;
    file.path = path;
    file.size = size;
    file.sha256.fill(content);
    return file;
}

PackageManifest Manifest(std::vector<PackageFile> files) {
    PackageManifest manifest;
    manifest.files = std::move(files);
    return manifest;
}

DeltaHeader SampleHeader() {
    DeltaHeader header;
    header.baseManifest.fill(1);
    header.targetManifest.fill(2);
    header.manifest = "<package/>";
    header.copies = {{L"a.dll", L"old/a.dll"}, {L"\u6587\u4ef6.txt", L"\u6587\u4ef6.txt"}};
    DeltaGroup group;
    group.dictionary = {L"App.exe"};
    group.members = {L"App.exe", L"new.dat"};
    group.frameBytes = 12345;
    DeltaGroup plain;
    plain.kind = DeltaGroupKind::Plain;
    plain.members = {L"big.pak"};
    plain.frameBytes = 5ull << 32;
    header.groups = {group, plain};
    return header;
}

TEST(DeltaFormat, HeaderReadsBackAsWrittenAndEveryCutIsRefused) {
    const DeltaHeader header = SampleHeader();
    const std::string bytes = EncodeDeltaHeader(header);
    DeltaHeader read;
    size_t used = 0;
    std::string rule;
    ASSERT_TRUE(ParseDeltaHeader(bytes + "frames follow", read, used, rule)) << rule;
    EXPECT_EQ(bytes.size(), used);
    EXPECT_EQ(header.baseManifest, read.baseManifest);
    EXPECT_EQ(header.targetManifest, read.targetManifest);
    EXPECT_EQ(header.manifest, read.manifest);
    ASSERT_EQ(2u, read.copies.size());
    EXPECT_EQ(L"\u6587\u4ef6.txt", read.copies[1].target);
    EXPECT_EQ(L"old/a.dll", read.copies[0].source);
    ASSERT_EQ(2u, read.groups.size());
    EXPECT_EQ(header.groups[0].members, read.groups[0].members);
    EXPECT_EQ(header.groups[0].dictionary, read.groups[0].dictionary);
    EXPECT_EQ(DeltaGroupKind::Plain, read.groups[1].kind);
    EXPECT_EQ(5ull << 32, read.groups[1].frameBytes);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        DeltaHeader partial;
        EXPECT_FALSE(ParseDeltaHeader(bytes.substr(0, cut), partial, used, rule)) << cut;
    }
}

TEST(DeltaFormat, MalformedHeadersAreRefused) {
    const std::string good = EncodeDeltaHeader(SampleHeader());
    std::string lyingCount = EncodeDeltaHeader(DeltaHeader());
    lyingCount.replace(lyingCount.size() - 4, 4, std::string("\xff\xff\xff\x0f", 4));
    DeltaHeader oneGroup;
    oneGroup.groups.resize(1);
    oneGroup.groups[0].members = {L"a"};
    std::string unknownKind = EncodeDeltaHeader(oneGroup);
    unknownKind[8 + 4 + 32 + 32 + 4 + 4 + 4] = '\x07';  // the group's kind, after the empty manifest and copies
    const struct {
        const char* name;
        std::string bytes;
        const char* rule;
    } cases[] = {
        {"another file", "PK\x03\x04" + good.substr(4), "not a delta file"},
        {"a later format", good.substr(0, 8) + std::string("\x02\x00\x00\x00", 4) + good.substr(12),
         "a delta format this updater does not know"},
        {"a count past the end", lyingCount, "a damaged or cut delta header"},
        {"a kind it does not know", unknownKind, "a damaged or cut delta header"},
    };
    for (const auto& c : cases) {
        DeltaHeader header;
        size_t used = 0;
        std::string rule;
        EXPECT_FALSE(ParseDeltaHeader(c.bytes, header, used, rule)) << c.name;
        EXPECT_EQ(c.rule, rule) << c.name;
    }
}

TEST(DeltaFormat, HeaderMustMakeEveryTargetFileOnceFromListedBaseFiles) {
    const PackageManifest base = Manifest({File(L"App.exe", 10, 1), File(L"lib/a.dll", 20, 2), File(L"huge.bin", 70 * kMiB, 3)});
    const PackageManifest target = Manifest({File(L"App.exe", 11, 4), File(L"b.dll", 20, 2), File(L"x.dat", 5, 5)});
    const auto group = [](std::vector<std::wstring> dictionary, std::vector<std::wstring> members) {
        DeltaGroup g;
        g.dictionary = std::move(dictionary);
        g.members = std::move(members);
        return g;
    };
    const struct {
        const char* name;
        std::vector<DeltaCopy> copies;
        std::vector<DeltaGroup> groups;
        const wchar_t* path;  // null: accepted
        const char* rule;
    } cases[] = {
        {"whole", {{L"b.dll", L"LIB/A.DLL"}}, {group({L"App.exe"}, {L"App.exe", L"x.dat"})}, nullptr, ""},
        {"a file never made", {{L"b.dll", L"lib/a.dll"}}, {group({}, {L"App.exe"})}, L"x.dat",
         "a target file the delta never makes"},
        {"a file made twice", {{L"b.dll", L"lib/a.dll"}}, {group({}, {L"App.exe", L"x.dat", L"B.dll"})}, L"B.dll",
         "a target file unlisted or made twice"},
        {"a file the target does not list", {}, {group({}, {L"App.exe", L"x.dat", L"b.dll", L"extra"})}, L"extra",
         "a target file unlisted or made twice"},
        {"a copy of other content", {{L"b.dll", L"App.exe"}}, {group({}, {L"App.exe", L"x.dat"})}, L"b.dll",
         "a copy from a base file of other content"},
        {"a dictionary file the base lacks", {{L"b.dll", L"lib/a.dll"}}, {group({L"gone.exe"}, {L"App.exe", L"x.dat"})},
         L"gone.exe", "a dictionary file the base does not list"},
        {"a dictionary above 64 MiB", {{L"b.dll", L"lib/a.dll"}}, {group({L"huge.bin"}, {L"App.exe", L"x.dat"})},
         L"App.exe", "a dictionary too large"},
        {"an empty group", {{L"b.dll", L"lib/a.dll"}}, {group({}, {L"App.exe", L"x.dat"}), group({}, {})}, L"",
         "a group that makes no file"},
    };
    for (const auto& c : cases) {
        DeltaHeader header;
        header.copies = c.copies;
        header.groups = c.groups;
        PackageRefusal refusal;
        EXPECT_EQ(c.path == nullptr, CheckDeltaHeader(header, base, target, refusal)) << c.name;
        if (c.path != nullptr) {
            EXPECT_EQ(std::wstring(c.path), refusal.path) << c.name;
            EXPECT_EQ(c.rule, refusal.rule) << c.name;
        }
    }
}

TEST(DeltaPlan, CopiesKnownContentAndGroupsTheRestWithinTheBounds) {
    const PackageManifest base = Manifest({File(L"App.exe", 10, 1), File(L"moved/a.dll", 20, 2), File(L"same.txt", 3, 3),
                                           File(L"r1.pak", 40 * kMiB, 4), File(L"r2.pak", 40 * kMiB, 5),
                                           File(L"video.bin", 100 * kMiB, 6), File(L"disk.img", 300 * kMiB, 7)});
    const PackageManifest target = Manifest({File(L"App.exe", 12, 11), File(L"a.dll", 20, 2), File(L"same.txt", 3, 3),
                                             File(L"r1.pak", 41 * kMiB, 14), File(L"r2.pak", 41 * kMiB, 15),
                                             File(L"video.bin", 90 * kMiB, 16), File(L"disk.img", 301 * kMiB, 17),
                                             File(L"new.txt", 4, 18)});
    const DeltaHeader header = PlanDelta(base, target);
    ASSERT_EQ(2u, header.copies.size());
    EXPECT_EQ(L"moved/a.dll", header.copies[0].source);  // the content, wherever the base holds it
    EXPECT_EQ(L"same.txt", header.copies[1].source);
    // App.exe and r1.pak share a group; r2.pak would pass 64 MiB of dictionary and opens the
    // next, which new.txt joins; the large files stand alone, video.bin without its old version
    // (above 64 MiB) and disk.img (above 256 MiB) as plain new content.
    const struct {
        std::vector<std::wstring> members;
        std::vector<std::wstring> dictionary;
        DeltaGroupKind kind;
    } expected[] = {
        {{L"App.exe", L"r1.pak"}, {L"App.exe", L"r1.pak"}, DeltaGroupKind::Dictionary},
        {{L"video.bin"}, {}, DeltaGroupKind::Dictionary},
        {{L"disk.img"}, {}, DeltaGroupKind::Plain},
        {{L"r2.pak", L"new.txt"}, {L"r2.pak"}, DeltaGroupKind::Dictionary},
    };
    ASSERT_EQ(4u, header.groups.size());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].members, header.groups[i].members) << i;
        EXPECT_EQ(expected[i].dictionary, header.groups[i].dictionary) << i;
        EXPECT_EQ(expected[i].kind, header.groups[i].kind) << i;
    }
    PackageRefusal refusal;
    EXPECT_TRUE(CheckDeltaHeader(header, base, target, refusal)) << refusal.rule;
}

}  // namespace
