#pragma once
// A hash by the algorithm a signature names (by its object identifier), computed by CNG. The
// signature check needs whichever one the signer chose, where the download's hash fragment only
// ever needs SHA-256.

#include <windows.h>
// bcrypt.h needs windows.h first.
#include <bcrypt.h>

#include <cstddef>
#include <string>

// The CNG name of the hash with object identifier `oid` (SHA-1 and SHA-2), or null for others.
const wchar_t* HashAlgorithmOfOid(const char* oid);

class CngHash {
public:
    explicit CngHash(const wchar_t* algorithm);
    ~CngHash();
    CngHash(const CngHash&) = delete;
    CngHash& operator=(const CngHash&) = delete;

    bool Ok() const { return hash_ != nullptr && !failed_; }
    void Update(const void* data, size_t size);
    // The digest of everything given to Update; empty when any step failed. Once only.
    std::string Finish();

private:
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    bool failed_ = false;
};

// The digest of one block of bytes; empty for an unknown algorithm.
std::string DigestOf(const char* oid, const void* data, size_t size);
