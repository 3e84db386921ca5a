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

// A prefix would leave the checksum unchecked, so only the whole entry is ever handed out.
TEST(ZipArchive, ExtractsTheWholeEntryOrNothing) {
    std::vector<uint8_t> bytes = TwoEntries();
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())));
    for (const wchar_t* name : {L"downdlg.xml", L"images/button.png"}) {
        ASSERT_TRUE(zip.FindEntry(name));
        unsigned size = static_cast<unsigned>(zip.EntrySize());
        std::vector<char> buffer(size + 20, '#');
        EXPECT_FALSE(zip.ExtractEntry(buffer.data(), size - 1)) << "prefix of " << size - 1;
        EXPECT_FALSE(zip.ExtractEntry(buffer.data(), size + 20)) << "more than the entry holds";
        EXPECT_TRUE(zip.ExtractEntry(buffer.data(), size));
    }
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
    for (bool deflate : {true, false}) {
        ZipTestEntry entry;
        entry.name = "a.xml";
        entry.data = "<a>checksummed</a>";
        entry.deflate = deflate;
        entry.corruptChecksum = true;
        std::vector<uint8_t> bytes = BuildZip({entry});
        CZipArchive zip;
        ASSERT_TRUE(zip.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())));
        EXPECT_EQ("<failed>", Extract(zip, L"a.xml")) << "deflate=" << deflate;
    }
}

// An entry claiming fewer bytes than it holds yields only those; the checksum, taken over the
// whole data, then no longer matches.
TEST(ZipArchive, EntryClaimingLessThanItHoldsFails) {
    ZipTestEntry entry;
    entry.name = "short.xml";
    entry.data = "<a>twelve</a>";
    entry.declaredSize = 4;
    std::vector<uint8_t> bytes = BuildZip({entry});
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())));
    EXPECT_EQ("<failed>", Extract(zip, L"short.xml"));
}

ZipTestEntry Zip64Entry(const std::string& data, int64_t declaredSize) {
    ZipTestEntry entry;
    entry.name = "big.xml";
    entry.data = data;
    entry.declaredSize = declaredSize;
    entry.zip64 = true;
    return entry;
}

TEST(ZipArchive, Zip64SizesAreReadInFull) {
    std::vector<uint8_t> honest = BuildZip({Zip64Entry("<Window/>", -1)});
    CZipArchive zip;
    ASSERT_TRUE(zip.OpenMemory(honest.data(), static_cast<unsigned>(honest.size())));
    EXPECT_EQ("<Window/>", Extract(zip, L"big.xml"));

    const uint64_t fourGiB = 1ull << 32;
    for (uint64_t declared : {fourGiB + 9, fourGiB}) {
        std::vector<uint8_t> liar = BuildZip({Zip64Entry("<a>1</a>x", static_cast<int64_t>(declared))});
        ASSERT_TRUE(zip.OpenMemory(liar.data(), static_cast<unsigned>(liar.size())));
        ASSERT_TRUE(zip.FindEntry(L"big.xml"));
        EXPECT_EQ(declared, zip.EntrySize());
        char buffer[9];
        EXPECT_FALSE(zip.ExtractEntry(buffer, sizeof(buffer))) << "the low 32 bits of " << declared;
    }
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
