#include "updater/trust/pe_image_hash.h"

#include "updater/trust/der_reader.h"

namespace {

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint16_t kCertificateRevision2 = 0x0200;
constexpr uint16_t kCertificateTypePkcs7 = 0x0002;
constexpr size_t kCertificateHeaderBytes = 8;

uint16_t Read16(const unsigned char* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t Read32(const unsigned char* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

bool Fail(std::string& problem, const char* why) {
    problem = why;
    return false;
}

PeHeaders Unreadable(std::string& problem, const char* why) {
    problem = why;
    return PeHeaders::Unreadable;
}

// The table must be exactly the file's end: bytes after it would be installed unsigned.
bool CheckCertTablePlace(const PeLayout& layout, uint64_t fileSize, std::string& problem) {
    if (layout.certTableOffset == 0 && layout.certTableSize == 0) return true;
    const uint64_t tableEnd = static_cast<uint64_t>(layout.certTableOffset) + layout.certTableSize;
    if (layout.certTableSize < kCertificateHeaderBytes || layout.certTableOffset % 8 != 0 ||
        layout.certTableOffset < layout.securityEntryOffset + 8u) {
        return Fail(problem, "malformed certificate table entry");
    }
    if (tableEnd < fileSize) return Fail(problem, "data after the certificate table");
    if (tableEnd > fileSize) return Fail(problem, "certificate table beyond the end of the file");
    return true;
}

// The DER signature at the start of an entry of `length` bytes, the entry's header checked.
bool EntrySignature(const unsigned char* entry, uint32_t length, DerItem& pkcs7, std::string& problem) {
    if (Read16(entry + 4) != kCertificateRevision2 || Read16(entry + 6) != kCertificateTypePkcs7)
        return Fail(problem, "certificate entry of an unknown kind");
    if (!ReadDer(entry + kCertificateHeaderBytes, length - kCertificateHeaderBytes, pkcs7) ||
        pkcs7.tag != der::kSequence) {
        return Fail(problem, "malformed signature");
    }
    return true;
}

}  // namespace

PeHeaders ReadPeHeaders(const unsigned char* head, size_t headSize, uint64_t fileSize, PeLayout& layout,
                        std::string& problem) {
    layout = PeLayout();
    if (headSize > fileSize) headSize = static_cast<size_t>(fileSize);
    problem = "not a Windows image";
    if (headSize < 0x40 || head[0] != 'M' || head[1] != 'Z') return PeHeaders::NotAnImage;
    const uint32_t pe = Read32(head + 0x3C);
    if (static_cast<uint64_t>(pe) + 24 > fileSize) return PeHeaders::NotAnImage;
    // A file longer than what was read may still hold its headers further on.
    if (pe > headSize - 24) return Unreadable(problem, "headers beyond the bytes read");
    if (Read32(head + pe) != 0x00004550) return PeHeaders::NotAnImage;
    const uint32_t optional = pe + 24;
    const uint32_t optionalSize = Read16(head + pe + 20);
    if (optional + 2 > headSize) return Unreadable(problem, "optional header cut short");
    const uint16_t magic = Read16(head + optional);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) return Unreadable(problem, "unknown optional header");
    const uint32_t countOffset = optional + (magic == kPe32Magic ? 92 : 108);
    const uint32_t directories = countOffset + 4;
    layout.checksumOffset = optional + 64;
    layout.securityEntryOffset = directories + kSecurityDirectory * 8;
    problem = "no certificate table entry";
    if (layout.securityEntryOffset + 8 > headSize) {
        return headSize < fileSize ? PeHeaders::Unreadable : PeHeaders::NoCertificateEntry;
    }
    if (layout.securityEntryOffset + 8 > optional + optionalSize ||
        Read32(head + countOffset) <= kSecurityDirectory)
        return PeHeaders::NoCertificateEntry;
    problem.clear();
    layout.certTableOffset = Read32(head + layout.securityEntryOffset);
    layout.certTableSize = Read32(head + layout.securityEntryOffset + 4);
    return PeHeaders::Read;
}

bool ReadPeLayout(const unsigned char* head, size_t headSize, uint64_t fileSize, PeLayout& layout,
                  std::string& problem) {
    return ReadPeHeaders(head, headSize, fileSize, layout, problem) == PeHeaders::Read &&
           CheckCertTablePlace(layout, fileSize, problem);
}

std::vector<ByteRange> ImageHashRanges(const PeLayout& layout, uint64_t fileSize) {
    const uint64_t end = layout.certTableSize != 0 ? layout.certTableOffset : fileSize;
    const uint64_t afterChecksum = layout.checksumOffset + 4u;
    const uint64_t afterEntry = layout.securityEntryOffset + 8u;
    return {{0, layout.checksumOffset},
            {afterChecksum, layout.securityEntryOffset - afterChecksum},
            {afterEntry, end - afterEntry}};
}

bool FirstSignatureInTable(const unsigned char* table, size_t size, const unsigned char*& signature,
                           size_t& signatureSize, std::string& problem) {
    if (size < kCertificateHeaderBytes) return Fail(problem, "certificate table too short");
    const uint32_t length = Read32(table);
    if (length < kCertificateHeaderBytes || length > size)
        return Fail(problem, "malformed certificate entry");
    DerItem pkcs7;
    if (!EntrySignature(table, length, pkcs7, problem)) return false;
    signature = table + kCertificateHeaderBytes;
    signatureSize = static_cast<size_t>(pkcs7.end - signature);
    return true;
}

bool SignatureInTable(const unsigned char* table, size_t size, const unsigned char*& signature,
                      size_t& signatureSize, std::string& problem) {
    if (size < kCertificateHeaderBytes) return Fail(problem, "certificate table too short");
    const uint32_t length = Read32(table);
    if (Read16(table + 4) != kCertificateRevision2 || Read16(table + 6) != kCertificateTypePkcs7)
        return Fail(problem, "certificate entry of an unknown kind");
    if (length < kCertificateHeaderBytes || length > size || (length + 7u) / 8u * 8u != size)
        return Fail(problem, "more than one certificate entry");
    DerItem pkcs7;
    if (!EntrySignature(table, length, pkcs7, problem)) return false;
    for (const unsigned char* at = pkcs7.end; at < table + size; ++at) {
        if (*at != 0) return Fail(problem, "data after the signature");
    }
    signature = table + kCertificateHeaderBytes;
    signatureSize = static_cast<size_t>(pkcs7.end - signature);
    return true;
}
