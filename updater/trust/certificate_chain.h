#pragma once
// The one chain question the signature check asks: does this certificate chain, for this use and
// at this time, to a root the user trusts? The answer is the chain's trust status bits, which
// Wine reports as Windows does, where its chain policies let partial chains pass.

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <string>

constexpr DWORD kChainTimeErrors = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED;
// Reported when no chain could be built at all.
constexpr DWORD kNoChain = CERT_TRUST_IS_PARTIAL_CHAIN;

// The CERT_TRUST_* error bits of the chain of `certificate` for `usageOid` at `when` (null: now),
// with `extra` offering intermediates. No revocation check: signatures outlive revocation lists,
// and the updater must not wait on the network here.
DWORD ChainErrors(PCCERT_CONTEXT certificate, HCERTSTORE extra, const char* usageOid, const FILETIME* when);

// What the error bits mean for a log line ("untrusted root", "expired", ...).
std::string DescribeChainErrors(DWORD errors);

// The certificate's subject as text, for log lines.
std::string SubjectText(PCCERT_CONTEXT certificate);
