#include <gtest/gtest.h>

#include "updater/package/release_pointer.h"

namespace {

TEST(ReleasePointer, NamesOnePlainReleaseFolderAndItsManifest) {
    const std::string digest(64, 'a');
    const struct {
        const char* name;
        std::string text;
        bool ok;
    } cases[] = {
        {"CRLF", "app-2.0\r\n" + digest + "\r\n", true},
        {"LF, no last break", "app-2.0\n" + digest, true},
        {"a step up", "app-2.0/..\n" + digest, false},
        {"a separator", "app-1\\..\\x\n" + digest, false},
        {"not a release", "bin\n" + digest, false},
        {"prefix alone", "app-\n" + digest, false},
        {"a stream", "app-2.0:x\n" + digest, false},
        {"short digest", "app-2.0\n" + digest.substr(1), false},
        {"a third line", "app-2.0\n" + digest + "\nmore", false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        ReleasePointer pointer;
        EXPECT_EQ(c.ok, ParseReleasePointer(c.text, pointer)) << c.name;
    }
    ReleasePointer pointer;
    pointer.folder = L"app-3.1";
    pointer.manifestSha256[0] = 0xAB;
    ReleasePointer back;
    ASSERT_TRUE(ParseReleasePointer(FormatReleasePointer(pointer), back));
    EXPECT_EQ(pointer.folder, back.folder);
    EXPECT_EQ(pointer.manifestSha256, back.manifestSha256);
}

TEST(ReleasePointer, HighestReleaseByVersionOrder) {
    EXPECT_EQ(L"app-1.10", HighestRelease({L"app-1.9", L"app-1.10", L"app-1.10b1", L"bin", L"app-"}));
    EXPECT_EQ(L"", HighestRelease({L"bin", L"app-a/b"}));
}

}  // namespace
