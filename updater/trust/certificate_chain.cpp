#include "updater/trust/certificate_chain.h"

#include <cstdio>
#include <vector>

#include "updater/trust/crypto_handles.h"

DWORD ChainErrors(PCCERT_CONTEXT certificate, HCERTSTORE extra, const char* usageOid, const FILETIME* when) {
    LPSTR usages[] = {const_cast<LPSTR>(usageOid)};
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    FILETIME at = {};
    if (when != nullptr) at = *when;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, when != nullptr ? &at : nullptr, extra, &para, 0,
                                 nullptr, &chain) ||
        chain == nullptr) {
        return kNoChain;
    }
    const ChainPtr owned(chain);
    return chain->TrustStatus.dwErrorStatus;
}

std::string DescribeChainErrors(DWORD errors) {
    struct Meaning {
        DWORD bits;
        const char* text;
    } const meanings[] = {
        {CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_CYCLIC, "untrusted root"},
        {CERT_TRUST_IS_NOT_SIGNATURE_VALID, "certificate signature invalid"},
        {CERT_TRUST_IS_NOT_VALID_FOR_USAGE, "not for this use"},
        {kChainTimeErrors, "expired"},
        {CERT_TRUST_IS_REVOKED, "revoked"},
    };
    std::string text;
    for (const Meaning& meaning : meanings) {
        if ((errors & meaning.bits) != 0) text += (text.empty() ? "" : ", ") + std::string(meaning.text);
    }
    char status[32];
    std::snprintf(status, sizeof status, "status 0x%08lX", static_cast<unsigned long>(errors));
    return text.empty() ? status : text + " (" + status + ")";
}

std::string SubjectText(PCCERT_CONTEXT certificate) {
    CERT_NAME_BLOB* subject = &certificate->pCertInfo->Subject;
    const DWORD type = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;
    const DWORD length = CertNameToStrA(X509_ASN_ENCODING, subject, type, nullptr, 0);
    if (length <= 1) return std::string();
    std::vector<char> text(length);
    CertNameToStrA(X509_ASN_ENCODING, subject, type, text.data(), length);
    return std::string(text.data());
}
