#pragma once
// The vendor's Ed25519 private key as the PEM file that `openssl genpkey -algorithm ed25519`
// writes (PKCS#8: a fixed 16-byte DER prefix, then the 32-byte seed), so keys move freely
// between this tool and openssl.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using Ed25519Seed = std::array<std::uint8_t, 32>;

bool ParsePrivateKeyPem(std::string_view pem, Ed25519Seed& seed);
// A private key in any form vendors already hold: PKCS#8 PEM, or base64 of the 32-byte seed (the
// form the best-known appcast tools export), or of the seed followed by its public key (64
// bytes; refused when that public key is not the seed's). Blanks around it are ignored.
bool ParsePrivateKey(std::string_view text, Ed25519Seed& seed);
std::string PrivateKeyPem(const Ed25519Seed& seed);

// The public key of a seed, and a detached signature (64 bytes) of the bytes.
std::array<std::uint8_t, 32> PublicKeyOf(const Ed25519Seed& seed);
std::array<std::uint8_t, 64> SignBytes(const Ed25519Seed& seed, const std::uint8_t* data, std::size_t size);
// A fresh seed from the system's random source; false when there is none.
bool NewSeed(Ed25519Seed& seed);
