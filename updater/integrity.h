#pragma once
// The optional integrity check of a download. A host that knows the new file's SHA-256 appends it
// to the URL as a fragment ("https://example.test/app.exe#sha256=<64 hex digits>"); a fragment is
// never sent to the server, so servers and older updaters are unaffected. The digest is computed
// by the platform (CNG) as the bytes arrive.

#include <windows.h>
// bcrypt.h needs windows.h first.
#include <bcrypt.h>

#include <array>
#include <cstddef>
#include <string>

using Sha256Digest = std::array<unsigned char, 32>;

enum class HashFragment {
    None,       // no fragment, or one that is not about the hash: nothing to check
    Sha256,     // "sha256=" and 64 hex digits: the download must match
    Malformed,  // a hash fragment that cannot be read: fail rather than install unchecked
};

// Reads the URL's fragment; `digest` is filled for HashFragment::Sha256.
HashFragment ParseHashFragment(const std::string& url, Sha256Digest& digest);

std::string HexDigest(const Sha256Digest& digest);

// An incremental SHA-256 through CNG. Ok() is false when CNG offers none; Finish() then fails.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool Ok() const { return hash_ != nullptr; }
    void Update(const void* data, size_t size);
    // The digest of everything given to Update; false when any step failed.
    bool Finish(Sha256Digest& digest);

private:
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    bool failed_ = false;
};
