#include "ui/util/zip_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/zip_builder.h"

namespace {

std::string Extract(CZipArchive& zip, const wchar_t* name) {
    if (!zip.FindEntry(name)) {
        return "<missing>";
    }
    std::string out(zip.EntrySize(), '\0');
    return zip.ExtractEntry(&out[0], zip.EntrySize()) ? out : "<failed>";
}

std::vector<uint8_t> TwoEntries() {
    ZipTestEntry a;
    a.name = "images/Button.png";
    a.data = std::string(5000, 'b');
    ZipTestEntry b;
    b.name = "downdlg.xml";
    b.data = "<Window/>";
    b.deflate = false;
    return BuildZip({a, b});
}

TEST(ZipArchive, FindsStoredAndDeflatedEntriesWithoutRegardToCase) {
    std::vector<uint8_t> bytes = TwoEntries();
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())));
    EXPECT_EQ("<Window/>", Extract(zip, L"DOWNDLG.XML"));
    EXPECT_EQ(std::string(5000, 'b'), Extract(zip, L"images\\button.png"));
    EXPECT_FALSE(zip.FindEntry(L"images"));
    EXPECT_EQ(0u, zip.EntrySize());
    char byte = 0;
    EXPECT_FALSE(zip.ExtractEntry(&byte, 1));  // nothing is current after a miss
}

TEST(ZipArchive, Utf8NamesAreDecoded) {
    ZipTestEntry entry;
    entry.name = "\xE7\x9A\xAE\xE8\x82\xA4.xml";  // 皮肤.xml
    entry.data = "x";
    entry.utf8Name = true;
    std::vector<uint8_t> bytes = BuildZip({entry});
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())));
    EXPECT_EQ("x", Extract(zip, L"\x76AE\x80A4.xml"));
}

TEST(ZipArchive, ReadsOnlyTheRequestedPrefixAndRefusesShortReads) {
    std::vector<uint8_t> bytes = TwoEntries();
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())));
    ASSERT_TRUE(zip.FindEntry(L"downdlg.xml"));
    char part[4] = {};
    EXPECT_TRUE(zip.ExtractEntry(part, 3));  // more data pending is fine
    EXPECT_EQ(std::string("<Wi"), std::string(part, 3));
    std::vector<char> tooMuch(20, '#');
    EXPECT_FALSE(zip.ExtractEntry(tooMuch.data(), 20));
    // Re-extracting the same entry works: the entry is reopened each time.
    EXPECT_EQ("<Window/>", Extract(zip, L"downdlg.xml"));
}

TEST(ZipArchive, EntryClaimingMoreThanItHoldsFails) {
    for (bool deflate : {true, false}) {
        ZipTestEntry entry;
        entry.name = "liar.xml";
        entry.data = "<a>short</a>";
        entry.deflate = deflate;
        entry.declaredSize = 4096;
        std::vector<uint8_t> bytes = BuildZip({entry});
        CZipArchive zip;
        ASSERT_TRUE(zip.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())));
        EXPECT_EQ(4096u, (zip.FindEntry(L"liar.xml"), zip.EntrySize()));
        EXPECT_EQ("<failed>", Extract(zip, L"liar.xml")) << "deflate=" << deflate;
    }
}

TEST(ZipArchive, WrongChecksumFails) {
    ZipTestEntry entry;
    entry.name = "a.xml";
    entry.data = "<a>checksummed</a>";
    entry.corruptChecksum = true;
    std::vector<uint8_t> bytes = BuildZip({entry});
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())));
    EXPECT_EQ("<failed>", Extract(zip, L"a.xml"));
}

TEST(ZipArchive, DamagedBlocksNeverOpenOrExtractGarbage) {
    std::vector<uint8_t> good = BuildZip("a.xml", std::string(3000, 'q'));
    CZipArchive zip;
    EXPECT_FALSE(zip.OpenMemory(nullptr, 10));
    EXPECT_FALSE(zip.OpenMemory(good.data(), 0));
    EXPECT_FALSE(zip.OpenMemory(good.data(), 21));  // shorter than the end record
    // Every truncation either fails to open, or fails to extract, or yields the full entry.
    for (size_t cut = 1; cut < good.size(); cut += 7) {
        std::vector<uint8_t> damaged(good.begin(), good.begin() + cut);
        if (zip.OpenMemory(damaged.data(), static_cast<unsigned>(damaged.size()))) {
            std::string got = Extract(zip, L"a.xml");
            EXPECT_TRUE(got == "<missing>" || got == "<failed>" || got == std::string(3000, 'q')) << cut;
        }
    }
    // A directory offset pointing past the block must not be followed.
    std::vector<uint8_t> bad = good;
    bad[bad.size() - 6] = 0xFF;
    bad[bad.size() - 5] = 0xFF;
    EXPECT_FALSE(zip.OpenMemory(bad.data(), static_cast<unsigned>(bad.size())));
    EXPECT_FALSE(zip.IsOpen());
}

TEST(ZipArchive, OpensFilesWithWidePaths) {
    ScratchFolder scratch(L"zip \x76AE\x80A4");
    const std::wstring folder = scratch.Path();
    std::wstring path = folder + L"skin.zip";
    std::vector<uint8_t> bytes = TwoEntries();
    ASSERT_TRUE(WriteWholeFile(path, std::string(bytes.begin(), bytes.end())));
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenFile(path.c_str()));
    EXPECT_EQ("<Window/>", Extract(zip, L"downdlg.xml"));
    zip.Close();
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_FALSE(zip.OpenFile((folder + L"missing.zip").c_str()));
    EXPECT_FALSE(zip.OpenFile(L""));
}

}  // namespace
