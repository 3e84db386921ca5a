#include "updater/trust/authenticode_check.h"

// wintrust.h needs wincrypt.h, which crypto_handles.h brings.
#include <wintrust.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "updater/trust/authenticode_timestamp.h"
#include "updater/trust/certificate_chain.h"
#include "updater/trust/cng_hash.h"
#include "updater/trust/msi_signature.h"
#include "updater/trust/pe_image_hash.h"
#include "updater/trust/read_at.h"
#include "updater/trust/signed_message.h"

namespace {

constexpr size_t kReadChunkBytes = 1024 * 1024;

// The file's bytes in `ranges`, read once, in file order.
bool HashRanges(HANDLE file, const std::vector<ByteRange>& ranges, CngHash& hash) {
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kReadChunkBytes]);
    if (!buffer) return false;
    for (const ByteRange& range : ranges) {
        for (uint64_t done = 0; done < range.length;) {
            const DWORD piece = static_cast<DWORD>(std::min<uint64_t>(kReadChunkBytes, range.length - done));
            if (!ReadFileAt(file, range.offset + done, buffer.get(), piece)) return false;
            hash.Update(buffer.get(), piece);
            done += piece;
        }
    }
    return hash.Ok();
}

SignatureCheck Verdict(SignatureVerdict verdict, const std::string& detail) {
    SignatureCheck check;
    check.verdict = verdict;
    check.detail = detail;
    return check;
}

struct SignedDigest {
    std::string oid;
    std::string digest;
};

bool ReadSignedDigest(const SignedMessage& message, SignedDigest& signedDigest) {
    SPC_INDIRECT_DATA_CONTENT* content = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, SPC_INDIRECT_DATA_CONTENT_STRUCT, message.Content(),
                             static_cast<DWORD>(message.ContentSize()), CRYPT_DECODE_ALLOC_FLAG, nullptr,
                             &content, &size)) {
        return false;
    }
    const DecodedPtr<SPC_INDIRECT_DATA_CONTENT> owned(content);
    if (content->DigestAlgorithm.pszObjId == nullptr) return false;
    signedDigest.oid = content->DigestAlgorithm.pszObjId;
    signedDigest.digest.assign(reinterpret_cast<const char*>(content->Digest.pbData), content->Digest.cbData);
    return true;
}

bool WithinValidity(const FILETIME& time, PCCERT_CONTEXT certificate) {
    return CompareFileTime(&time, &certificate->pCertInfo->NotBefore) >= 0 &&
           CompareFileTime(&time, &certificate->pCertInfo->NotAfter) <= 0;
}

// The signer's certificate expired (or is not yet valid) but nothing else is wrong with its chain.
SignatureCheck CheckExpired(const SignedMessage& message, ExpiredSigner expired) {
    PCCERT_CONTEXT signer = message.Signer();
    if (expired == ExpiredSigner::Accepted) return Verdict(SignatureVerdict::Trusted, "signer expired since");
    FILETIME stampedAt = {};
    std::string problem;
    if (!VerifyTimestamp(message.SignerInfo(), stampedAt, problem))
        return Verdict(SignatureVerdict::Expired, "signer expired, " + problem);
    if (!WithinValidity(stampedAt, signer))
        return Verdict(SignatureVerdict::Expired, "signer expired, time stamp outside its validity");
    const DWORD errors = ChainErrors(signer, message.Certificates(), szOID_PKIX_KP_CODE_SIGNING, &stampedAt);
    if (errors != 0)
        return Verdict(SignatureVerdict::Untrusted, "at the time stamp: " + DescribeChainErrors(errors));
    return Verdict(SignatureVerdict::Trusted, "signer expired, time stamp valid");
}

// The signed content's digest: computed by `hashContent` with the algorithm the signer chose.
using ContentHasher = std::function<bool(CngHash&, std::string&)>;

// Everything after the signature's bytes are found: the signed digest against the content, the
// signature value and the signer's chain.
SignatureCheck CheckSignedBlob(const unsigned char* blob, size_t blobSize, const ContentHasher& hashContent,
                               ExpiredSigner expired) {
    std::string problem;
    SignedMessage message;
    SignedDigest signedDigest;
    if (!message.Decode(blob, blobSize, SPC_INDIRECT_DATA_OBJID, problem))
        return Verdict(SignatureVerdict::Unusual, problem);
    if (!ReadSignedDigest(message, signedDigest))
        return Verdict(SignatureVerdict::Unusual, "malformed signed digest");
    CngHash hash(HashAlgorithmOfOid(signedDigest.oid.c_str()));
    if (!hash.Ok()) return Verdict(SignatureVerdict::Unusual, "unknown digest algorithm " + signedDigest.oid);
    if (!hashContent(hash, problem)) return Verdict(SignatureVerdict::Unusual, problem);
    if (hash.Finish() != signedDigest.digest)
        return Verdict(SignatureVerdict::DigestMismatch, "image digest differs from the signed one");
    if (!message.Verify(problem)) {
        const bool digest = problem.find("messageDigest") != std::string::npos;
        return Verdict(digest ? SignatureVerdict::DigestMismatch : SignatureVerdict::BadSignature, problem);
    }
    const DWORD errors =
        ChainErrors(message.Signer(), message.Certificates(), szOID_PKIX_KP_CODE_SIGNING, nullptr);
    SignatureCheck check;
    if ((errors & ~kChainTimeErrors) != 0) {
        check = Verdict(SignatureVerdict::Untrusted, DescribeChainErrors(errors));
    } else {
        check =
            errors != 0 ? CheckExpired(message, expired) : Verdict(SignatureVerdict::Trusted, "signer valid");
    }
    if (check.verdict == SignatureVerdict::Trusted)
        check.signer.reset(CertDuplicateCertificateContext(message.Signer()));
    return check;
}

SignatureCheck CheckSignedImage(HANDLE file, uint64_t fileSize, const PeLayout& layout,
                                ExpiredSigner expired) {
    std::vector<unsigned char> table(layout.certTableSize);
    std::string problem;
    const unsigned char* blob = nullptr;
    size_t blobSize = 0;
    if (!ReadFileAt(file, layout.certTableOffset, table.data(), layout.certTableSize))
        return Verdict(SignatureVerdict::Unusual, "certificate table unreadable");
    if (!SignatureInTable(table.data(), table.size(), blob, blobSize, problem))
        return Verdict(SignatureVerdict::Unusual, problem);
    const ContentHasher hashImage = [&](CngHash& hash, std::string& why) {
        if (HashRanges(file, ImageHashRanges(layout, fileSize), hash)) return true;
        why = "file unreadable";
        return false;
    };
    return CheckSignedBlob(blob, blobSize, hashImage, expired);
}

// A Windows Installer package: the same signature, kept in a stream instead of a table.
SignatureCheck CheckSignedPackage(HANDLE file, ExpiredSigner expired) {
    std::vector<unsigned char> blob;
    std::string problem;
    switch (ReadMsiSignature(file, blob, problem)) {
        case MsiSignatureRead::Signed: break;
        case MsiSignatureRead::Unsigned: return Verdict(SignatureVerdict::Unsigned, problem);
        case MsiSignatureRead::Unusual: return Verdict(SignatureVerdict::Unusual, problem);
    }
    const ContentHasher hashPackage = [file](CngHash& hash, std::string& why) {
        return HashMsiContent(file, hash, why);
    };
    return CheckSignedBlob(blob.data(), blob.size(), hashPackage, expired);
}

}  // namespace

SignatureCheck CheckFileSignature(HANDLE file, ExpiredSigner expired) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size)) return Verdict(SignatureVerdict::Unusual, "file unreadable");
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
    std::vector<unsigned char> head(static_cast<size_t>(std::min<uint64_t>(kPeHeadBytes, fileSize)));
    PeLayout layout;
    std::string problem;
    if (!ReadFileAt(file, 0, head.data(), static_cast<DWORD>(head.size())))
        return Verdict(SignatureVerdict::Unusual, "file unreadable");
    if (IsCompoundFile(head.data(), head.size())) {
        SignatureCheck check = CheckSignedPackage(file, expired);
        check.package = true;
        return check;
    }
    if (!ReadPeLayout(head.data(), head.size(), fileSize, layout, problem))
        return Verdict(SignatureVerdict::Unusual, problem);
    if (layout.certTableSize == 0) return Verdict(SignatureVerdict::Unsigned, "no certificate table");
    if (layout.certTableSize > kMaxCertTableBytes)
        return Verdict(SignatureVerdict::Unusual, "certificate table too large");
    return CheckSignedImage(file, fileSize, layout, expired);
}

const char* VerdictName(SignatureVerdict verdict) {
    switch (verdict) {
        case SignatureVerdict::Trusted: return "trusted";
        case SignatureVerdict::Unsigned: return "unsigned";
        case SignatureVerdict::Unusual: return "unusual";
        case SignatureVerdict::DigestMismatch: return "digest mismatch";
        case SignatureVerdict::BadSignature: return "bad signature";
        case SignatureVerdict::Untrusted: return "untrusted";
        case SignatureVerdict::Expired: return "expired";
    }
    return "unknown";
}
