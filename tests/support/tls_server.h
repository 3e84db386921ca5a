#pragma once
// TLS for the tests' loopback server. A test authority and its certificates are made by openssl at
// test time; the authority is trusted in the current user's root store of the test prefix only
// while a TestAuthority lives. A TestTlsServer puts one TLS listener per certificate in front of
// a TestHttpServer, so routes, counts and answer shapes stay the plain server's.
//
// Certificates (all for "localhost" unless said): "good", "revoked" (listed in the authority's
// revocation list), "offline" (its revocation list cannot be reached), "wronghost" (for another
// host name), "unknown" (from an authority nobody trusts), "selfsigned".

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/process.h"

// Adds the certificate `der` to the registry part of the user's root store of this prefix; the
// stored certificate (CertDeleteCertificateFromStore removes and frees it), or null.
PCCERT_CONTEXT TrustInUserRoot(const std::string& der);

class TestAuthority {
public:
    // `crlUrl` is where the tests serve the authority's revocation list (RevocationList()).
    explicit TestAuthority(const std::string& crlUrl);
    ~TestAuthority();
    TestAuthority(const TestAuthority&) = delete;
    TestAuthority& operator=(const TestAuthority&) = delete;

    bool Ready() const { return trusted_ != nullptr; }
    // The revocation list (DER) to serve at the URL given to the constructor.
    std::string RevocationList() const;
    // The Unix path of a file the authority made ("good.pem", "leaf.key", ...).
    std::string UnixPath(const std::string& name) const;
    // A certificate the authority made, as a certificate context (free with CertFreeCertificateContext).
    PCCERT_CONTEXT Certificate(const std::string& name) const;

private:
    ScratchFolder folder_{L"authority"};
    std::string unixFolder_;
    PCCERT_CONTEXT trusted_ = nullptr;
};

class TestTlsServer {
public:
    TestTlsServer(const TestAuthority& authority, unsigned short upstreamPort,
                  const std::vector<std::string>& certificates);
    ~TestTlsServer();
    TestTlsServer(const TestTlsServer&) = delete;
    TestTlsServer& operator=(const TestTlsServer&) = delete;

    bool Started() const { return ports_.size() == certificates_.size() && !ports_.empty(); }
    // "https://localhost:<port of the certificate's listener><path>".
    std::string Url(const std::string& certificate, const std::string& path) const;
    std::wstring WideUrl(const std::string& certificate, const std::string& path) const;

private:
    std::vector<std::string> certificates_;
    std::map<std::string, unsigned short> ports_;
    ScratchFolder folder_{L"tls-relay"};
    std::wstring portsFile_;  // the relay runs while this file exists
    UniqueHandle relay_;
};
