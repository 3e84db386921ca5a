#include "updater/trust/signed_message.h"

#include <cstring>

#include "updater/trust/cng_hash.h"
#include "updater/trust/der_reader.h"

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

bool Fail(std::string& problem, const char* why) {
    problem = why;
    return false;
}

// A message parameter of any size, read the usual two-call way.
bool MessageParam(HCRYPTMSG message, DWORD type, std::vector<unsigned char>& value) {
    DWORD size = 0;
    if (!CryptMsgGetParam(message, type, 0, nullptr, &size) || size == 0) return false;
    value.resize(size);
    return CryptMsgGetParam(message, type, 0, value.data(), &size) != FALSE;
}

DWORD MessageNumber(HCRYPTMSG message, DWORD type) {
    DWORD value = 0, size = sizeof value;
    return CryptMsgGetParam(message, type, 0, &value, &size) ? value : 0;
}

}  // namespace

bool SingleAttributeValue(const CRYPT_ATTRIBUTES& attributes, const char* oid, CRYPT_DATA_BLOB& value) {
    const CRYPT_ATTRIBUTE* found = nullptr;
    for (DWORD i = 0; i < attributes.cAttr; ++i) {
        if (std::strcmp(attributes.rgAttr[i].pszObjId, oid) != 0) continue;
        if (found != nullptr) return false;
        found = &attributes.rgAttr[i];
    }
    if (found == nullptr || found->cValue != 1) return false;
    value = found->rgValue[0];
    return true;
}

// The platform hands out the content in different shapes for different content types, so the
// encapsulated content is found in the message's own bytes: ContentInfo { type, [0] SignedData
// { version, digestAlgorithms, encapContentInfo { type, [0] content } ... } }.
bool SignedMessage::FindContent(const unsigned char* data, size_t size) {
    DerItem contentInfo, explicitSigned, signedData, encapsulated, explicitContent, content;
    DerCursor outer(data, size);
    if (!outer.Next(der::kSequence, contentInfo)) return false;
    DerCursor info(contentInfo);
    if (!info.Skip(der::kOid) || !info.Next(der::kContext0, explicitSigned)) return false;
    if (!DerCursor(explicitSigned).Next(der::kSequence, signedData)) return false;
    DerCursor fields(signedData);
    if (!fields.Skip(der::kInteger) || !fields.Skip(der::kSet) || !fields.Next(der::kSequence, encapsulated))
        return false;
    DerCursor encapsulatedFields(encapsulated);
    if (!encapsulatedFields.Skip(der::kOid) || !encapsulatedFields.Next(der::kContext0, explicitContent))
        return false;
    if (!ReadDer(explicitContent.value, explicitContent.length, content) ||
        content.end != explicitContent.end)
        return false;
    content_ = explicitContent.value;
    contentSize_ = explicitContent.length;
    contentValue_ = content.value;
    contentValueSize_ = content.length;
    return true;
}

bool SignedMessage::ReadSigner(std::string& problem) {
    HCRYPTMSG message = message_.get();
    if (!MessageParam(message, CMSG_SIGNER_INFO_PARAM, signerInfo_))
        return Fail(problem, "no signer information");
    store_.reset(CertOpenStore(CERT_STORE_PROV_MSG, kEncoding, 0, 0, message));
    if (!store_) return Fail(problem, "no certificates");
    CERT_INFO wanted = {};
    wanted.Issuer = SignerInfo().Issuer;
    wanted.SerialNumber = SignerInfo().SerialNumber;
    signer_.reset(CertGetSubjectCertificateFromStore(store_.get(), kEncoding, &wanted));
    if (!signer_) return Fail(problem, "the signer's certificate is missing");
    return true;
}

bool SignedMessage::Decode(const unsigned char* data, size_t size, const char* contentTypeOid,
                           std::string& problem) {
    message_.reset(CryptMsgOpenToDecode(kEncoding, 0, 0, 0, nullptr, nullptr));
    HCRYPTMSG message = message_.get();
    if (!message || !CryptMsgUpdate(message, data, static_cast<DWORD>(size), TRUE) ||
        MessageNumber(message, CMSG_TYPE_PARAM) != CMSG_SIGNED) {
        return Fail(problem, "not a signed message");
    }
    const DWORD signers = MessageNumber(message, CMSG_SIGNER_COUNT_PARAM);
    if (signers != 1) return Fail(problem, signers == 0 ? "no signer" : "more than one signer");
    std::vector<unsigned char> type;
    if (!MessageParam(message, CMSG_INNER_CONTENT_TYPE_PARAM, type) ||
        std::strcmp(reinterpret_cast<const char*>(type.data()), contentTypeOid) != 0) {
        return Fail(problem, "unexpected content type");
    }
    if (!FindContent(data, size)) return Fail(problem, "malformed content");
    return ReadSigner(problem);
}

bool SignedMessage::Verify(std::string& problem) const {
    const CMSG_SIGNER_INFO& signer = SignerInfo();
    CRYPT_DATA_BLOB encoded = {};
    if (!SingleAttributeValue(signer.AuthAttrs, szOID_PKCS_9_MESSAGE_DIGEST, encoded))
        return Fail(problem, "no single messageDigest attribute");
    DecodedPtr<CRYPT_DATA_BLOB> signedDigest;
    CRYPT_DATA_BLOB* decoded = nullptr;
    DWORD decodedSize = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_OCTET_STRING, encoded.pbData, encoded.cbData,
                             CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded, &decodedSize)) {
        return Fail(problem, "malformed messageDigest attribute");
    }
    signedDigest.reset(decoded);
    const std::string actual = DigestOf(signer.HashAlgorithm.pszObjId, contentValue_, contentValueSize_);
    if (actual.empty()) return Fail(problem, "unknown digest algorithm");
    if (actual.size() != decoded->cbData || std::memcmp(actual.data(), decoded->pbData, actual.size()) != 0)
        return Fail(problem, "content does not match its messageDigest");
    if (!CryptMsgControl(message_.get(), 0, CMSG_CTRL_VERIFY_SIGNATURE, signer_->pCertInfo))
        return Fail(problem, "signature value does not verify");
    return true;
}
