// What a chain's trust status means for the updater, including the states the end-to-end cases
// cannot produce on purpose (expired, wrong usage, a bad signature).

#include <gtest/gtest.h>

#include "updater/delivery/tls_refusal_text.h"
#include "updater/delivery/tls_verify.h"

TEST(TlsVerify, OnlyAnUnknownRevocationStatusIsForgiven) {
    struct Case {
        DWORD status;
        HRESULT expected;
    } cases[] = {
        {0, 0},
        {CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION, 0},
        {CERT_TRUST_IS_REVOKED, CRYPT_E_REVOKED},
        {CERT_TRUST_IS_REVOKED | CERT_TRUST_REVOCATION_STATUS_UNKNOWN, CRYPT_E_REVOKED},
        {CERT_TRUST_IS_PARTIAL_CHAIN, CERT_E_CHAINING},
        {CERT_TRUST_IS_UNTRUSTED_ROOT, CERT_E_UNTRUSTEDROOT},
        {CERT_TRUST_IS_NOT_TIME_VALID, CERT_E_EXPIRED},
        {CERT_TRUST_IS_NOT_VALID_FOR_USAGE, CERT_E_WRONG_USAGE},
        {CERT_TRUST_IS_NOT_SIGNATURE_VALID, TRUST_E_FAIL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChainTrustError(c.status), static_cast<DWORD>(c.expected)) << c.status;
}

// The log says what a refusal code means; an unknown code is said to be one.
TEST(TlsRefusalMeaning, NamesEachRefusal) {
    const struct {
        HRESULT code;
        const char* meaning;
    } cases[] = {{CERT_E_CN_NO_MATCH, "name does not match"},   {CERT_E_EXPIRED, "expired or not yet valid"},
                 {CERT_E_UNTRUSTEDROOT, "untrusted root"},     {CRYPT_E_REVOKED, "revoked"},
                 {CRYPT_E_REVOCATION_OFFLINE, "revocation unknown"}, {CRYPT_E_NO_REVOCATION_CHECK, "revocation unknown"},
                 {E_FAIL, "unexpected error"}};
    for (const auto& c : cases) EXPECT_STREQ(TlsRefusalMeaning(static_cast<DWORD>(c.code)), c.meaning) << c.meaning;
}
