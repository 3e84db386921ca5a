#include "updater/delivery/tls_refusal_text.h"

#include <vector>

#include "updater/update_log.h"

namespace {

struct Meaning {
    HRESULT code;
    const char* text;
};

constexpr Meaning kMeanings[] = {
    {CERT_E_CN_NO_MATCH, "name does not match"},
    {CERT_E_EXPIRED, "expired or not yet valid"},
    {CERT_E_UNTRUSTEDROOT, "untrusted root"},
    {CERT_E_UNTRUSTEDTESTROOT, "untrusted root"},
    {CRYPT_E_REVOKED, "revoked"},
    {CRYPT_E_REVOCATION_OFFLINE, "revocation unknown"},
    {CRYPT_E_NO_REVOCATION_CHECK, "revocation unknown"},
    {CERT_E_CHAINING, "chain incomplete"},
    {CERT_E_WRONG_USAGE, "not for server authentication"},
    {CERT_E_INVALID_NAME, "name does not match"},
    {TRUST_E_FAIL, "chain not trusted"},
    {SEC_E_NO_CREDENTIALS, "no certificate shown"},
};

// The DNS names of the subject alternative name extension.
void AddAlternativeNames(PCCERT_CONTEXT certificate, std::string& names) {
    const CERT_INFO* info = certificate->pCertInfo;
    const CERT_EXTENSION* extension =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
    if (extension == nullptr) return;
    CERT_ALT_NAME_INFO* decoded = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded, &size)) {
        return;
    }
    for (DWORD i = 0; i < decoded->cAltEntry; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = decoded->rgAltEntry[i];
        if (entry.dwAltNameChoice != CERT_ALT_NAME_DNS_NAME) continue;
        names += (names.empty() ? "DNS:" : ", DNS:") + Utf8(entry.pwszDNSName);
    }
    LocalFree(decoded);
}

}  // namespace

const char* TlsRefusalMeaning(DWORD error) {
    for (const Meaning& meaning : kMeanings) {
        if (static_cast<DWORD>(meaning.code) == error) return meaning.text;
    }
    return "unexpected error";
}

std::string CertificateNames(PCCERT_CONTEXT certificate) {
    std::string names;
    if (certificate == nullptr) return names;
    AddAlternativeNames(certificate, names);
    wchar_t common[256] = {};
    if (CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME), common, 256) > 1) {
        names += (names.empty() ? "CN=" : ", CN=") + Utf8(common);
    }
    return names;
}
