#pragma once
// The rules a download offered by a signed feed must meet before anything is installed, on top
// of the checks every download gets (TLS, body, hash, publisher). The two-argument mode has none
// of them: its caller vouches for the URL.
//
// What a feed's item promises is held against what arrived: the announced length, the vendor's
// Ed25519 signature over the file's bytes, and the program's own version resource (the same
// product, for the same machine, exactly the offered version and never one at or below the
// installed one).

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "updater/delivery/download_rules.h"
#include "updater/trust/ed25519.h"

// Without an announced length a download may still not fill the disk.
constexpr std::uint64_t kMaxUnannouncedEnclosureBytes = 256ull * 1024 * 1024;

struct EnclosureRules : DownloadRules {
    std::uint64_t length = 0;                  // sparkle's length attribute; 0: not given
    std::vector<std::uint8_t> edSignature;     // decoded sparkle:edSignature
    std::vector<Ed25519Key> installedKeys;     // the keys in the installed program's resource
    std::uint16_t machine = 0;                 // the installed program's PE machine
    std::wstring itemVersion;                  // the item's sparkle:version
    std::wstring installedVersion;
    std::wstring productName;                  // the installed program's ProductName
    // Where the program's feed state is kept: a lost-key recovery that installs restarts the
    // lost-key clock there, so a later recovery waits its full time again.
    std::wstring feedStateKeyPath;
    // Lost-key recovery: no installed key verified the feed, so the whole feed as received is kept
    // for the download's own keys to verify. Empty in the ordinary case.
    std::string unverifiedFeed;

    bool LostKey() const { return !unverifiedFeed.empty(); }

    // The announced length, else the fixed bound.
    std::uint64_t ByteLimit() const override;
    bool Allows(HANDLE file, const std::wstring& path, std::uint64_t received,
                bool* signatureRefused = nullptr) const override;
    // Only a release carried by an installed Ed25519 key may move the publisher pin.
    bool SubjectMayChange() const override { return !LostKey(); }
    // The new program's keys verified the feed and the file of a lost-key recovery: the lost-key
    // clock starts again, so that yet another key would have to wait its full time.
    void Installed() const override;
};

// The rules on the finished download (open as `file`, at `path`, `received` bytes). True when
// every one holds; each refusal is one log line. The version and key resources are read from a
// snapshot beside `path` (see file_snapshot.h), removed again before this returns.
// `signatureRefused`, when given, tells whether it was the Ed25519 signature that failed.
bool EnclosureAllows(HANDLE file, const std::wstring& path, std::uint64_t received, const EnclosureRules& rules,
                     bool* signatureRefused = nullptr);
