#pragma once
#include <windows.h>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Ed25519Key = std::array<std::uint8_t, 32>;

// Standard base64 (RFC 4648, '=' padding required to a multiple of four). False on anything else.
bool Base64Decode(std::string_view text, std::vector<std::uint8_t>& bytes);
std::string Base64Encode(const std::uint8_t* data, std::size_t size);

// The key resource's text: base64 keys of 32 bytes separated by white space; trailing NULs are
// ignored. A malformed key is left out and its text added to `skipped` (when given).
std::vector<Ed25519Key> ParseEd25519Keys(std::string_view text, std::vector<std::string>* skipped);

enum class KeyResource {
    Keys,             // at least one well-formed key
    Missing,          // the file is no image, or has no key resource
    NoWellFormedKey,  // the resource is there, and holds no well-formed key
};
// The RCDATA resource "UPDATER_ED25519_KEYS" (any language) of the program at `programPath`, else
// a WinSparkle-style resource "EdDSAPub" of type "EDDSA" (base64 keys the same way), read as data
// (never loaded as code). The malformed keys are logged.
KeyResource ReadProgramKeys(const std::wstring& programPath, std::vector<Ed25519Key>& keys);

// Index in `keys` of the first key under which `signature` is a valid Ed25519 signature of the
// bytes, or -1 (also for a signature that is not 64 bytes).
int VerifyWithAnyKey(const std::uint8_t* data, std::size_t size, const std::vector<std::uint8_t>& signature,
                     const std::vector<Ed25519Key>& keys);
// The same over the whole content of an open file (read through a mapping, not copied).
int VerifyFileWithAnyKey(HANDLE file, const std::vector<std::uint8_t>& signature,
                         const std::vector<Ed25519Key>& keys);
