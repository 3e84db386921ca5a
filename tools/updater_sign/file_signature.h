#pragma once
// The Ed25519 signature of a whole release file (package or delta) for its feed enclosure,
// read through a mapping rather than copied into memory.

#include <cstdint>
#include <string>

#include "signing_key.h"

struct FileSignature {
    std::string base64;
    std::uint64_t length = 0;
};

// False when the file cannot be read or is empty.
bool SignWholeFile(const Ed25519Seed& seed, const std::wstring& path, FileSignature& signature);
