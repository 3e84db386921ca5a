// Where the signature of a Windows image lives and which bytes its digest covers, on small images
// made by hand.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "updater/trust/pe_image_hash.h"

namespace {

void Put32(std::string& image, size_t at, uint32_t value) {
    std::memcpy(&image[at], &value, 4);
}

// `size` bytes: PE headers at 0x80, the optional header at 0x98, the certificate table entry
// naming `table` / `tableSize`, 0x5A everywhere else.
std::string Image(bool plus, uint32_t directories, size_t size, uint32_t table = 0, uint32_t tableSize = 0) {
    std::string image(size, '\x5A');
    image[0] = 'M', image[1] = 'Z';
    Put32(image, 0x3C, 0x80);
    Put32(image, 0x80, 0x4550);
    Put32(image, 0x94, plus ? 240 : 224);  // the optional header's size, in the low half
    Put32(image, 0x98, plus ? 0x20B : 0x10B);
    const uint32_t count = 0x98 + (plus ? 108 : 92);
    Put32(image, count, directories);
    Put32(image, count + 4 + 32, table);
    Put32(image, count + 8 + 32, tableSize);
    return image;
}

}  // namespace

TEST(PeImageHash, LayoutAndDigestRangesOnlyOfSaneImagesWithTheTableLast) {
    struct Case {
        std::string image;
        bool ok;
        uint32_t entry;  // of the certificate table; the checksum is at 0xD8 in both formats
        const char* problem;
    } cases[] = {
        {Image(false, 16, 0x400), true, 0x118, ""},
        {Image(true, 16, 0x400), true, 0x128, ""},
        {Image(false, 16, 0x400, 0x3F0, 0x10), true, 0x118, ""},
        {Image(false, 16, 0x400, 0x3E0, 0x10), false, 0, "data after the certificate table"},
        {Image(false, 16, 0x400, 0x3F8, 0x10), false, 0, "beyond the end"},
        {Image(false, 16, 0x400, 0x3F4, 0x0C), false, 0, "malformed certificate table entry"},
        {Image(false, 4, 0x400), false, 0, "no certificate table entry"},
        {Image(false, 16, 0x100), false, 0, "no certificate table entry"},
        {"MZ" + std::string(0x40, '\0'), false, 0, "not a Windows image"},
        {Image(false, 16, 0x400).replace(0x98, 1, 1, '\x0C'), false, 0, "unknown optional header"},
    };
    for (const Case& c : cases) {
        PeLayout layout;
        std::string problem;
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.image.data());
        EXPECT_EQ(ReadPeLayout(bytes, c.image.size(), c.image.size(), layout, problem), c.ok) << c.problem;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
        if (!c.ok) continue;
        // The digest covers all but the checksum, the table's entry and the table.
        const size_t end = layout.certTableSize != 0 ? layout.certTableOffset : c.image.size();
        std::string covered, expected = c.image.substr(0, end);
        for (const ByteRange& range : ImageHashRanges(layout, c.image.size()))
            covered += c.image.substr(range.offset, range.length);
        EXPECT_TRUE(covered == expected.erase(c.entry, 8).erase(0xD8, 4)) << c.entry;
    }
}

TEST(PeImageHash, TableHoldsExactlyOneSignature) {
    const std::string header = std::string("\x0D\0\0\0\0\x02\x02\0", 8);
    const std::string signature = "\x30\x03\x02\x01\x05";
    struct Case {
        std::string table;
        const char* problem;
    } cases[] = {
        {header + signature + std::string(3, '\0'), ""},
        {header + signature + std::string(11, '\0'), "more than one certificate entry"},
        {header + signature + std::string("\0\0\x01", 3), "data after the signature"},
        {std::string("\x0D\0\0\0\0\x01\x02\0", 8) + signature + std::string(3, '\0'), "unknown kind"},
        {header + "\x30\x09\x02\x01\x05" + std::string(3, '\0'), "malformed signature"},
    };
    for (const Case& c : cases) {
        const unsigned char* found = nullptr;
        size_t size = 0;
        std::string problem;
        const bool ok = SignatureInTable(reinterpret_cast<const unsigned char*>(c.table.data()),
                                         c.table.size(), found, size, problem);
        EXPECT_EQ(ok, *c.problem == '\0') << problem;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
        EXPECT_EQ(size, ok ? signature.size() : 0u);
    }
    // An installed program's signature is still found with tag data after it and more behind.
    const std::string tagged =
        std::string("\x10\0\0\0\0\x02\x02\0", 8) + signature + "tag" + std::string(8, '\x01');
    const unsigned char* found = nullptr;
    size_t size = 0;
    std::string problem;
    EXPECT_TRUE(FirstSignatureInTable(reinterpret_cast<const unsigned char*>(tagged.data()), tagged.size(),
                                      found, size, problem))
        << problem;
    EXPECT_EQ(size, signature.size());
}

// Only a file that cannot carry a signature reads as no image: headers read in part, or of an
// unknown kind, are never taken for an unsigned program.
TEST(PeImageHash, HeadersTellAFileThatCannotBeSignedFromOneNotReadWhole) {
    std::string far = Image(false, 16, 0x400);
    Put32(far, 0x3C, 0x300);
    const struct {
        std::string image;
        size_t headSize;
        PeHeaders answer;
    } cases[] = {
        {Image(false, 16, 0x400, 0x3E0, 0x10), 0x400, PeHeaders::Read},  // the table's place is not judged
        {"MZ old program", 14, PeHeaders::NotAnImage},
        {Image(false, 4, 0x400), 0x400, PeHeaders::NoCertificateEntry},
        {Image(false, 16, 0x400), 0x100, PeHeaders::Unreadable},
        {far, 0x100, PeHeaders::Unreadable},
        {Image(false, 16, 0x400).replace(0x98, 1, 1, '\x0C'), 0x400, PeHeaders::Unreadable},
    };
    for (const auto& c : cases) {
        PeLayout layout;
        std::string problem;
        EXPECT_EQ(ReadPeHeaders(reinterpret_cast<const unsigned char*>(c.image.data()), c.headSize,
                                c.image.size(), layout, problem),
                  c.answer)
            << problem;
    }
}
