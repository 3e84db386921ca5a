#pragma once
// The RFC 3161 time stamp of a code signature: a time-stamping authority's signed statement that
// the signature existed at a given time. It lets a signature outlive its signer's certificate.

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <string>

// Checks the time stamp among the unsigned attributes of `signer` (the code signature's signer):
// its token is intact, stamps this very signature value, and is signed by a certificate for time
// stamping that chains to a trusted root at the stamped time. Fills `stampedAt` (UTC).
bool VerifyTimestamp(const CMSG_SIGNER_INFO& signer, FILETIME& stampedAt, std::string& problem);
