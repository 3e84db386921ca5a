#pragma once
// Owners for the CryptoAPI objects of the signature check, each released exactly once.

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <memory>

struct CertificateRelease {
    void operator()(const CERT_CONTEXT* certificate) const { CertFreeCertificateContext(certificate); }
};
struct ChainRelease {
    void operator()(const CERT_CHAIN_CONTEXT* chain) const { CertFreeCertificateChain(chain); }
};
struct StoreRelease {
    void operator()(void* store) const { CertCloseStore(store, 0); }
};
struct MessageRelease {
    void operator()(void* message) const { CryptMsgClose(message); }
};
struct LocalRelease {
    void operator()(void* memory) const { LocalFree(memory); }
};

using CertificatePtr = std::unique_ptr<const CERT_CONTEXT, CertificateRelease>;
using ChainPtr = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainRelease>;
using StorePtr = std::unique_ptr<void, StoreRelease>;
using MessagePtr = std::unique_ptr<void, MessageRelease>;
// What CryptDecodeObjectEx allocates with CRYPT_DECODE_ALLOC_FLAG.
template <typename T>
using DecodedPtr = std::unique_ptr<T, LocalRelease>;
