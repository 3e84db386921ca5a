#pragma once
// The updater's own check of every TLS connection. libcurl's Schannel backend leaves the server
// certificate to Schannel's automatic validation, which not every Schannel performs (Wine's does
// not), so nothing would prove the check. Here, after each connection's handshake and before its
// request goes out (redirect hops included), the server's chain is built against the user's
// trusted roots and checked with the SSL policy for the host name; a refused certificate aborts
// the transfer before a single byte of the answer is received.

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <string>

// 0 when `certificate` (with the intermediates the server sent along) chains to a trusted root,
// may authenticate a server, names `hostName` and is not revoked; otherwise the Windows error
// (CERT_E_UNTRUSTEDROOT, CERT_E_CN_NO_MATCH, CRYPT_E_REVOKED, ...). A revocation server that
// cannot be reached does not count as revoked: behind firewalls that would block every update;
// the host name and everything else are checked all the same.
DWORD CheckServerCertificate(PCCERT_CONTEXT certificate, const std::wstring& hostName);

// The error a chain's trust status (CERT_TRUST_* bits) stands for, 0 when the chain may be trusted.
// Only an unknown revocation status (no revocation server reachable) is forgiven.
DWORD ChainTrustError(DWORD chainStatus);

// What the check saw during one transfer.
struct TlsCheckState {
    void* curl = nullptr;
    int connectionsChecked = 0;
    DWORD refusal = 0;  // the error of the refused certificate, 0 when none was refused
};

// Installs the check on a libcurl handle for a transfer of `url`: every HTTPS connection is
// checked as above, revocation is checked where a revocation server answers, and a transfer that
// starts on HTTPS may only be redirected to HTTPS (a downgrade would let anyone on the path
// replace the program). `state` must outlive the transfer.
void RequireVerifiedTls(void* curl, const std::string& url, TlsCheckState* state);

// True for a URL whose scheme is https (in any letter case).
bool IsHttpsUrl(const std::string& url);
