#pragma once
// The delta file of a release: what turns the live release folder into the next one without
// downloading the whole package. Its header names the SHA-256 of the base's and the target's
// ".upd-manifest" (their bytes, as `current` holds them), carries the target's signed manifest,
// and gives one operation per target file: a copy of a base file with the same content, or a
// member of a group. A group is one zstd frame whose dictionary is the old versions of some
// base files concatenated; decoded as a stream, its output is split by the target manifest's
// sizes. The frames follow the header in group order. Pure logic: no file is touched here.
//
//   "UPDDELTA" u32 format (1) | base SHA-256 | target SHA-256 | u32 length + manifest bytes
//   u32 copies   { text target | text source }
//   u32 groups   { u8 kind | u32 n { text dictionary file } | u32 n { text member } | u64 frame bytes }
//   frames...
// Integers are little-endian; a text is a u16 length and UTF-8 bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "updater/files/sha256.h"
#include "updater/package/package_manifest.h"

// A 32-bit process holds a group's dictionary whole and the decoder keeps a window of output:
// both are bounded. A file above the plain limit is stored as compressed new content alone.
constexpr uint64_t kDeltaGroupLimitBytes = 64ull * 1024 * 1024;
constexpr uint64_t kDeltaPlainAboveBytes = 256ull * 1024 * 1024;
// The decoder's window, at most 2^27 bytes (128 MiB): what a lone large member may use.
constexpr int kDeltaWindowLogMax = 27;
// The header's bytes, at most (the manifest alone may take 8 MiB).
constexpr uint32_t kDeltaHeaderLimitBytes = 16 * 1024 * 1024;

struct DeltaCopy {
    std::wstring target;  // path in the new release
    std::wstring source;  // path in the base release holding the same content
};

enum class DeltaGroupKind : uint8_t { Dictionary = 0, Plain = 1 };

struct DeltaGroup {
    DeltaGroupKind kind = DeltaGroupKind::Dictionary;
    std::vector<std::wstring> dictionary;  // base files, concatenated in this order
    std::vector<std::wstring> members;     // target files, in the order the frame produces them
    uint64_t frameBytes = 0;
};

struct DeltaHeader {
    Sha256Digest baseManifest = {};
    Sha256Digest targetManifest = {};
    std::string manifest;  // the target's ".upd-manifest", signed
    std::vector<DeltaCopy> copies;
    std::vector<DeltaGroup> groups;
};

std::string EncodeDeltaHeader(const DeltaHeader& header);

// Reads a header from the start of `bytes` (which may go on into the frames); `headerBytes` is
// where the frames begin. False with `rule` set for anything malformed or cut short.
bool ParseDeltaHeader(std::string_view bytes, DeltaHeader& header, size_t& headerBytes, std::string& rule);

// The bytes a group's dictionary and its output take, from the manifests.
uint64_t DictionaryBytes(const DeltaGroup& group, const PackageManifest& base);
uint64_t OutputBytes(const DeltaGroup& group, const PackageManifest& target);

// The header against the two manifests: every target file made exactly once, every source and
// dictionary file listed by the base, a copy only between files of the same size and SHA-256,
// and the groups within their bounds. False with `refusal` naming the path and the rule.
bool CheckDeltaHeader(const DeltaHeader& header, const PackageManifest& base, const PackageManifest& target,
                      PackageRefusal& refusal);
