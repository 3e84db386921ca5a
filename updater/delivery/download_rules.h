#pragma once
// What the caller who knows where a download comes from asks of it beyond the transfer's own
// checks (TLS, body, hash, publisher). The transfer knows nothing of feeds: a signed feed's
// item brings its own rules (updater/check/enclosure_rules.h); the two-argument mode has none,
// its caller vouches for the URL.

#include <windows.h>

#include <cstdint>
#include <string>

class DownloadRules {
public:
    virtual ~DownloadRules() = default;

    // The most bytes the transfer may store; it gives up at the first byte beyond them. A
    // download under rules goes out only over https.
    virtual std::uint64_t ByteLimit() const = 0;
    // The rules on the finished download (open as `file`, at `path`, `received` bytes). True
    // when every one holds; each refusal is one log line. `signatureRefused`, when given, tells
    // whether a signature over the file was what failed (the user is told so).
    virtual bool Allows(HANDLE file, const std::wstring& path, std::uint64_t received,
                        bool* signatureRefused = nullptr) const = 0;
    // Whether the release may be signed by another publisher than the installed program.
    virtual bool SubjectMayChange() const = 0;
    // Told once the download is installed and its program came up.
    virtual void Installed() const {}
};
