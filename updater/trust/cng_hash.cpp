#include "updater/trust/cng_hash.h"

#include <cstring>

namespace {

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

struct OidAlgorithm {
    const char* oid;
    const wchar_t* algorithm;
};

const OidAlgorithm kAlgorithms[] = {
    {"1.3.14.3.2.26", BCRYPT_SHA1_ALGORITHM},
    {"2.16.840.1.101.3.4.2.1", BCRYPT_SHA256_ALGORITHM},
    {"2.16.840.1.101.3.4.2.2", BCRYPT_SHA384_ALGORITHM},
    {"2.16.840.1.101.3.4.2.3", BCRYPT_SHA512_ALGORITHM},
};

}  // namespace

const wchar_t* HashAlgorithmOfOid(const char* oid) {
    if (oid == nullptr) return nullptr;
    for (const OidAlgorithm& known : kAlgorithms) {
        if (std::strcmp(known.oid, oid) == 0) return known.algorithm;
    }
    return nullptr;
}

// BCryptHash, the one-call form, needs Windows 10; the object form runs from Windows 7 on.
CngHash::CngHash(const wchar_t* algorithm) {
    if (algorithm == nullptr || !Succeeded(BCryptOpenAlgorithmProvider(&algorithm_, algorithm, nullptr, 0))) {
        algorithm_ = nullptr;
        return;
    }
    if (!Succeeded(BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0))) hash_ = nullptr;
}

CngHash::~CngHash() {
    if (hash_ != nullptr) BCryptDestroyHash(hash_);
    if (algorithm_ != nullptr) BCryptCloseAlgorithmProvider(algorithm_, 0);
}

void CngHash::Update(const void* data, size_t size) {
    auto* bytes = static_cast<unsigned char*>(const_cast<void*>(data));
    while (Ok() && size > 0) {
        const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        failed_ = !Succeeded(BCryptHashData(hash_, bytes, piece, 0));
        bytes += piece;
        size -= piece;
    }
}

std::string CngHash::Finish() {
    DWORD length = 0, got = 0;
    if (!Ok() || !Succeeded(BCryptGetProperty(algorithm_, BCRYPT_HASH_LENGTH,
                                              reinterpret_cast<PUCHAR>(&length), sizeof length, &got, 0))) {
        return std::string();
    }
    std::string digest(length, '\0');
    failed_ = true;  // a CNG hash object is spent once finished
    if (!Succeeded(BCryptFinishHash(hash_, reinterpret_cast<PUCHAR>(&digest[0]), length, 0)))
        return std::string();
    return digest;
}

std::string DigestOf(const char* oid, const void* data, size_t size) {
    CngHash hash(HashAlgorithmOfOid(oid));
    hash.Update(data, size);
    return hash.Finish();
}
