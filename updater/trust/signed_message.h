#pragma once
// A PKCS#7 signed-data message as Authenticode signatures and their RFC 3161 time stamps carry
// it: exactly one signer, signed attributes, the signer's certificate inside. The platform
// decodes it and checks the signature value; the updater itself compares the content with the
// signed messageDigest attribute, which Wine's CryptoAPI skips and whose covered bytes it gets
// wrong for Authenticode's content type.

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <cstddef>
#include <string>
#include <vector>

#include "updater/trust/crypto_handles.h"

class SignedMessage {
public:
    // Decodes `size` bytes at `data`, whose content must be of type `contentTypeOid`. The
    // message keeps pointing into those bytes: they must outlive it.
    bool Decode(const unsigned char* data, size_t size, const char* contentTypeOid, std::string& problem);

    // The content as one DER item (tag and length included), for decoding it.
    const unsigned char* Content() const { return content_; }
    size_t ContentSize() const { return contentSize_; }
    // The content's value octets: what the messageDigest attribute covers. For a time stamp
    // these are the TSTInfo itself.
    const unsigned char* ContentValue() const { return contentValue_; }
    size_t ContentValueSize() const { return contentValueSize_; }

    // The messageDigest attribute against the content, then the signature value against the
    // signer's public key. False, with the reason, on either.
    bool Verify(std::string& problem) const;

    const CMSG_SIGNER_INFO& SignerInfo() const {
        return *reinterpret_cast<const CMSG_SIGNER_INFO*>(signerInfo_.data());
    }
    PCCERT_CONTEXT Signer() const { return signer_.get(); }
    HCERTSTORE Certificates() const { return store_.get(); }

private:
    bool FindContent(const unsigned char* data, size_t size);
    bool ReadSigner(std::string& problem);

    MessagePtr message_;
    StorePtr store_;
    CertificatePtr signer_;
    std::vector<unsigned char> signerInfo_;
    const unsigned char* content_ = nullptr;
    size_t contentSize_ = 0;
    const unsigned char* contentValue_ = nullptr;
    size_t contentValueSize_ = 0;
};

// The single value of the attribute `oid` in `attributes`; false when absent or repeated.
bool SingleAttributeValue(const CRYPT_ATTRIBUTES& attributes, const char* oid, CRYPT_DATA_BLOB& value);
