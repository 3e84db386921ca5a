#pragma once
// The updater's own Authenticode check of a program file or a Windows Installer package, made
// through an open handle. Every
// step is done here or asked of a CryptoAPI call that behaves alike on Windows and under Wine:
// the image digest over the file's bytes, the content against its messageDigest attribute, the
// signature value, the signer's chain for code signing, and for an expired signer its RFC 3161
// time stamp. Unusual files (more than one signer or certificate entry, bytes after the
// certificate table) are refused rather than interpreted.

#include <windows.h>

#include <string>

#include "updater/trust/crypto_handles.h"

enum class SignatureVerdict {
    Trusted,         // intact, and the signer chains to a trusted root for code signing
    Unsigned,        // an image without a certificate table, a package without a signature stream
    Unusual,         // neither an image nor a package, or signed in a way the updater does not accept
    DigestMismatch,  // the file changed after signing
    BadSignature,    // the signature value does not verify
    Untrusted,       // no chain to a trusted root, or the certificate is not for code signing
    Expired,         // the signer's certificate expired and no valid time stamp vouches for it
};

// How an expired signer certificate counts: for the program already installed, a signature
// that was good when made still names its publisher; a download must prove its age.
enum class ExpiredSigner { Accepted, NeedsTimestamp };

struct SignatureCheck {
    SignatureVerdict verdict = SignatureVerdict::Unusual;
    std::string detail;     // what exactly failed, or how it passed
    CertificatePtr signer;  // set when the verdict is Trusted
    bool package = false;   // a Windows Installer package rather than a program image
};

SignatureCheck CheckFileSignature(HANDLE file, ExpiredSigner expired);

// "trusted", "unsigned", "digest mismatch", ... for log lines.
const char* VerdictName(SignatureVerdict verdict);
