#pragma once
// Fixed signing keys for the feed tests (seeds of 32 equal bytes), signing through the vendor
// tool's own library, and the signed-appcast comment around some bytes.

#include <string>
#include <string_view>
#include <vector>

#include "signing_key.h"
#include "updater/trust/ed25519.h"

inline Ed25519Seed TestSeed(std::uint8_t fill) {
    Ed25519Seed seed;
    seed.fill(fill);
    return seed;
}

inline Ed25519Key TestKey(std::uint8_t fill) {
    return PublicKeyOf(TestSeed(fill));
}

inline std::string SignatureBlock(const Ed25519Seed& seed, std::string_view bytes, std::size_t length) {
    const auto s = SignBytes(seed, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return "<!-- sparkle-signatures:\nedSignature: " + Base64Encode(s.data(), s.size()) +
           "\nlength: " + std::to_string(length) + "\n-->\n";
}

inline std::string SignatureBlock(std::uint8_t fill, std::string_view bytes, std::size_t length) {
    return SignatureBlock(TestSeed(fill), bytes, length);
}

inline std::string Signed(const Ed25519Seed& seed, const std::string& bytes) {
    return bytes + SignatureBlock(seed, bytes, bytes.size());
}

inline std::string Signed(std::uint8_t fill, const std::string& bytes) {
    return Signed(TestSeed(fill), bytes);
}
