#pragma once
// SHA-256 of a file's bytes through the platform (CNG), for the download's integrity check and
// the installation's fingerprints alike.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "updater/trust/cng_hash.h"

using Sha256Digest = std::array<unsigned char, 32>;

// The digest's text (lower-case hex) and back: exactly 64 hex digits, either case. Apart from
// the hashing (hex_digest.cpp), so a program that only reads digests loads no crypto library.
std::string HexDigest(const Sha256Digest& digest);
bool ParseHexDigest(std::string_view text, Sha256Digest& digest);

// An incremental SHA-256 through CNG. Ok() is false when CNG offers none; Finish() then fails.
class Sha256 {
public:
    Sha256() : hash_(BCRYPT_SHA256_ALGORITHM) {}

    bool Ok() const { return hash_.Ok(); }
    void Update(const void* data, size_t size) { hash_.Update(data, size); }
    // The digest of everything given to Update; false when any step failed.
    bool Finish(Sha256Digest& digest);

private:
    CngHash hash_;
};

// The digest of bytes held in memory; false when CNG offers no SHA-256.
bool Sha256Of(std::string_view bytes, Sha256Digest& digest);
