#pragma once
// Where an Authenticode signature lives in a Windows image and which bytes its digest covers.
// The digest is of the whole file except three places the signing itself writes: the checksum
// field of the optional header, the certificate-table entry of the data directories, and the
// certificate table, which must be the last thing in the file. Pure logic on the file's first
// bytes and its size, so it is tested on small hand-made images.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Enough of the file's start to hold the headers up to the data directories of any sane image.
constexpr size_t kPeHeadBytes = 4096;
// Far beyond any real signature with its certificates and time stamps.
constexpr uint32_t kMaxCertTableBytes = 4 * 1024 * 1024;

struct PeLayout {
    uint32_t checksumOffset = 0;
    uint32_t securityEntryOffset = 0;  // the certificate table's data-directory entry (8 bytes)
    uint32_t certTableOffset = 0;      // 0 with a size of 0: the image is not signed
    uint32_t certTableSize = 0;
};

struct ByteRange {
    uint64_t offset;
    uint64_t length;
};

// What the headers alone say, before anything is judged about where the certificate table lies.
enum class PeHeaders {
    Read,                // the layout is filled in (the table's entry may say "no table")
    NotAnImage,          // no "MZ" and "PE" signatures: the file cannot carry a signature
    NoCertificateEntry,  // an image whose data directories stop before the certificate table's
    Unreadable,          // an image, but its headers are not where or what this reader expects
};

// The layout as the headers in the first `headSize` bytes of a file of `fileSize` bytes give it,
// the certificate table's offset and size taken as they stand. `problem` says why on any other
// answer than Read.
PeHeaders ReadPeHeaders(const unsigned char* head, size_t headSize, uint64_t fileSize, PeLayout& layout,
                        std::string& problem);

// Reads the layout from the first `headSize` bytes of a file of `fileSize` bytes. False, with a
// reason in `problem`, for what is not a Windows image and for a certificate table that is not
// exactly at the end (data after it would be unsigned yet installed).
bool ReadPeLayout(const unsigned char* head, size_t headSize, uint64_t fileSize, PeLayout& layout,
                  std::string& problem);

// The ranges of the file the image digest covers, in file order.
std::vector<ByteRange> ImageHashRanges(const PeLayout& layout, uint64_t fileSize);

// The PKCS#7 signature of the first entry of the certificate table `table`, read leniently: the
// entry's own length and the signature's DER length bound it, and whatever follows inside the
// entry or the table (installer tag data, padding, further entries) is ignored. Only for naming
// the publisher an installed program was signed by, never for accepting a download.
bool FirstSignatureInTable(const unsigned char* table, size_t size, const unsigned char*& signature,
                           size_t& signatureSize, std::string& problem);

// The PKCS#7 signature inside the certificate table `table`. A table holds one entry, of
// revision 2 and type PKCS#7 signed data, padded to 8 bytes with zeros; anything else (a second
// entry, another type, bytes after the signature) is refused: nothing unchecked may ride along.
bool SignatureInTable(const unsigned char* table, size_t size, const unsigned char*& signature,
                      size_t& signatureSize, std::string& problem);
