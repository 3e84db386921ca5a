#pragma once
// What `updater-sign delta <old package zip> <new package zip> --key vendor.pem --out <dir>`
// does: both packages are read and unpacked through the updater's own reader (so a package the
// updater would refuse is refused here), the delta is written beside them, and the feed lines
// for the new item's <sparkle:deltas>. A delta above half the full package is not worth the
// extra request: none is written then, and the result says so.

#include <cstdint>
#include <string>

#include "signing_key.h"

struct DeltaRequest {
    std::wstring oldPackage;
    std::wstring newPackage;
    std::wstring outFolder;
};

struct DeltaResult {
    bool written = false;
    std::wstring delta;         // "<out>\<Main>-<old>-to-<new>.delta"
    std::uint64_t deltaBytes = 0;
    std::uint64_t fullBytes = 0;  // the new package zip
    std::string feedItem;       // also written as "<delta>-item.txt"
};

// The share of the full package above which no delta is written: one half.
bool DeltaWorthIt(std::uint64_t deltaBytes, std::uint64_t fullBytes);

bool MakeDelta(const DeltaRequest& request, const Ed25519Seed& seed, DeltaResult& result, std::string& error);
