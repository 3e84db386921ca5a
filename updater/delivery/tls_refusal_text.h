#pragma once
// What a refused server certificate means, for the log beside its code: a vendor reading
// "0x800B010F" alone cannot tell a misnamed certificate from an expired one.

#include <windows.h>
#include <wincrypt.h>

#include <string>

// A short meaning for a refusal code ("name does not match", "expired", "untrusted root",
// "revoked", "revocation unknown", ...); "unexpected error" for a code it does not know.
const char* TlsRefusalMeaning(DWORD error);

// The names the certificate carries, as "DNS:a.example, DNS:b.example, CN=a.example": what the
// host name was compared with.
std::string CertificateNames(PCCERT_CONTEXT certificate);
