#pragma once
// The optional integrity check of a download. A host that knows the new file's SHA-256 appends it
// to the URL as a fragment ("https://example.test/app.exe#sha256=<64 hex digits>"); a fragment is
// never sent to the server, so servers and older updaters are unaffected. The digest is computed
// by the platform (CNG) as the bytes arrive.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "updater/trust/cng_hash.h"

using Sha256Digest = std::array<unsigned char, 32>;

enum class HashFragment {
    None,       // no fragment, or one that is not about the hash: nothing to check
    Sha256,     // "sha256=" and 64 hex digits: the download must match
    Malformed,  // a hash fragment that cannot be read: fail rather than install unchecked
};

// Reads the URL's fragment; `digest` is filled for HashFragment::Sha256.
HashFragment ParseHashFragment(const std::string& url, Sha256Digest& digest);

std::string HexDigest(const Sha256Digest& digest);
// Exactly 64 hex digits, either case; false for anything else.
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
