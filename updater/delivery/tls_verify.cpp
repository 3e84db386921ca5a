// The revocation wait is one of the chain parameters behind this switch.
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
// libcurl brings winsock2.h, which must precede windows.h.
#include <curl/curl.h>

#include "updater/delivery/tls_verify.h"

#define SECURITY_WIN32
#include <security.h>
// schannel.h needs security.h first.
#include <schannel.h>

#include <cstring>

#include "updater/trust/crypto_handles.h"
#include "updater/delivery/tls_refusal_text.h"
#include "updater/delivery/trusted_roots_preload.h"
#include "updater/update_log.h"

namespace {

constexpr DWORD kRevocationWaitMs = 10000;
// SECURITY_FLAG_IGNORE_REVOCATION of wininet.h (whose other names clash with WinHTTP's).
constexpr DWORD kPolicyIgnoresRevocation = 0x00000080;

class RemoteCertificate {
public:
    explicit RemoteCertificate(CtxtHandle* context) {
        if (QueryContextAttributesW(context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate_) != SEC_E_OK) {
            certificate_ = nullptr;
        }
    }
    ~RemoteCertificate() {
        if (certificate_ != nullptr) CertFreeCertificateContext(certificate_);
    }
    RemoteCertificate(const RemoteCertificate&) = delete;
    RemoteCertificate& operator=(const RemoteCertificate&) = delete;
    PCCERT_CONTEXT Get() const { return certificate_; }

private:
    PCCERT_CONTEXT certificate_ = nullptr;
};

std::string UrlPart(const char* url, CURLUPart part) {
    std::string text;
    CURLU* parsed = curl_url();
    char* value = nullptr;
    if (parsed != nullptr && curl_url_set(parsed, CURLUPART_URL, url, 0) == CURLUE_OK &&
        curl_url_get(parsed, part, &value, 0) == CURLUE_OK) {
        text = value;
    }
    curl_free(value);
    curl_url_cleanup(parsed);
    return text;
}

// The Schannel context of the connection the next request goes out on, or null.
CtxtHandle* ConnectionContext(CURL* curl) {
    curl_tlssessioninfo* info = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_TLS_SSL_PTR, &info) != CURLE_OK || info == nullptr ||
        info->backend != CURLSSLBACKEND_SCHANNEL) {
        return nullptr;
    }
    return static_cast<CtxtHandle*>(info->internals);
}

// libcurl calls this once a connection stands and before each request is sent on it.
int OnBeforeRequest(void* userdata, char*, char*, int, int) {
    auto* state = static_cast<TlsCheckState*>(userdata);
    CURL* curl = static_cast<CURL*>(state->curl);
    char* url = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &url);
    if (url == nullptr || !IsHttpsUrl(url)) return CURL_PREREQFUNC_OK;

    const std::string host = UrlPart(url, CURLUPART_HOST);
    CtxtHandle* context = ConnectionContext(curl);
    DWORD error = static_cast<DWORD>(SEC_E_NO_CREDENTIALS);  // a connection that shows no certificate
    std::string names;
    if (context != nullptr) {
        RemoteCertificate certificate(context);
        if (certificate.Get() != nullptr) error = CheckServerCertificate(certificate.Get(), FromUtf8(host));
        // A name that does not match is mended from what the certificate does name.
        if (error == static_cast<DWORD>(CERT_E_CN_NO_MATCH)) names = CertificateNames(certificate.Get());
    }
    ++state->connectionsChecked;
    if (error == 0) {
        LogLine("tls %s: certificate trusted", host.c_str());
        return CURL_PREREQFUNC_OK;
    }
    state->refusal = error;
    LogLine("tls %s: certificate refused, error 0x%08lX (%s%s%s)", host.c_str(), static_cast<unsigned long>(error),
            TlsRefusalMeaning(error), names.empty() ? "" : "; the certificate names ", names.c_str());
    return CURL_PREREQFUNC_ABORT;
}

}  // namespace

// The chain's own verdict, beyond the policy's: Wine's SSL policy passes a chain that ends at an
// issuer nobody trusts, and a revoked certificate must never pass. Only an unknown revocation
// status (no server reachable) is forgiven.
DWORD ChainTrustError(DWORD status) {
    const DWORD forgiven = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
    status &= ~forgiven;
    if (status == 0) return 0;
    if (status & CERT_TRUST_IS_REVOKED) return static_cast<DWORD>(CRYPT_E_REVOKED);
    if (status & CERT_TRUST_IS_PARTIAL_CHAIN) return static_cast<DWORD>(CERT_E_CHAINING);
    if (status & CERT_TRUST_IS_UNTRUSTED_ROOT) return static_cast<DWORD>(CERT_E_UNTRUSTEDROOT);
    if (status & CERT_TRUST_IS_NOT_TIME_VALID) return static_cast<DWORD>(CERT_E_EXPIRED);
    if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return static_cast<DWORD>(CERT_E_WRONG_USAGE);
    return static_cast<DWORD>(TRUST_E_FAIL);
}

bool IsHttpsUrl(const std::string& url) {
    return _strnicmp(url.c_str(), "https://", 8) == 0;
}

DWORD CheckServerCertificate(PCCERT_CONTEXT certificate, const std::wstring& hostName) {
    AwaitTrustedRootsPreload();
    LPSTR serverUsage[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = serverUsage;
    chainPara.dwUrlRetrievalTimeout = kRevocationWaitMs;

    PCCERT_CHAIN_CONTEXT rawChain = nullptr;
    const DWORD chainFlags =
        CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT | CERT_CHAIN_REVOCATION_ACCUMULATIVE_TIMEOUT;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara,
                                 chainFlags, nullptr, &rawChain)) {
        return GetLastError() != 0 ? GetLastError() : static_cast<DWORD>(CERT_E_CHAINING);
    }
    const ChainPtr chain(rawChain);

    // The SSL policy stops at the first error it finds, and an unknown revocation status comes
    // before the host name: told to mind revocation, it would never compare the name when no
    // revocation server answers. So the policy ignores revocation altogether and checks the name
    // (and the rest) every time; the revoked-or-not decision is the chain's own, read below.
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = kPolicyIgnoresRevocation;
    ssl.pwszServerName = const_cast<wchar_t*>(hostName.c_str());
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &status)) {
        return static_cast<DWORD>(CERT_E_CHAINING);
    }
    // Any policy error refuses, a revocation failure included: a policy that still stopped there
    // has not compared the host name.
    if (status.dwError != 0) return status.dwError;
    return ChainTrustError(chain->TrustStatus.dwErrorStatus);
}

void RequireVerifiedTls(void* curlHandle, const std::string& url, TlsCheckState* state) {
    CURL* curl = static_cast<CURL*>(curlHandle);
    state->curl = curl;
    curl_easy_setopt(curl, CURLOPT_PREREQDATA, state);
    curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, OnBeforeRequest);
    // Where Schannel checks too (Windows), an unreachable revocation server must not fail the
    // handshake either; a revoked certificate still does.
    curl_easy_setopt(curl, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
    if (IsHttpsUrl(url)) curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
}
