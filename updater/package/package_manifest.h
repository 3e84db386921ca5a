#pragma once
// The manifest of a whole-folder release, ".upd-manifest" in the release folder and the first
// entry of the package zip: XML in namespace urn:updater:package:1 naming every file (path,
// size, SHA-256) and every empty folder, signed with the same trailer as the update feed. A
// manifest that breaks any rule is refused whole, with the path and the rule for the log.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "updater/files/sha256.h"
#include "updater/trust/ed25519.h"

constexpr wchar_t kPackageNamespace[] = L"urn:updater:package:1";
constexpr wchar_t kManifestName[] = L".upd-manifest";
constexpr wchar_t kReleaseUpdaterName[] = L"updater.exe";

struct PackageFile {
    std::wstring path;  // relative, with "/"
    uint64_t size = 0;
    Sha256Digest sha256 = {};
};

struct PackageManifest {
    std::wstring product;
    std::wstring version;
    std::wstring main;     // "<Main>.exe", a file at the top of the release folder
    std::wstring machine;  // "x86", "x64" or "arm64"
    std::vector<PackageFile> files;
    std::vector<std::wstring> dirs;  // empty folders

    // The listed file at `path` (case ignored, as the file system ignores it), or null.
    const PackageFile* FileAt(std::wstring_view path) const;
};

// Why a manifest (or a package) was refused: the path concerned (may be empty) and the rule.
struct PackageRefusal {
    std::wstring path;
    std::string rule;
};

// Reads the manifest's XML (the signed bytes, without the trailer). False with `refusal` set
// on the first broken rule.
bool ParsePackageManifest(std::string_view xml, PackageManifest& manifest, PackageRefusal& refusal);

// Checks the trailer against `keys`, then reads the signed bytes. `keyIndex` (when given) is the
// key that verified.
bool VerifyPackageManifest(std::string_view whole, const std::vector<Ed25519Key>& keys, PackageManifest& manifest,
                           PackageRefusal& refusal, int* keyIndex = nullptr);

// The PE machine constant for a manifest's machine name; 0 for an unknown one.
uint16_t MachineOfName(std::wstring_view name);
