#pragma once
// Unpacks a package zip into a new release folder without ever holding a whole entry in memory
// (the updater is a 32-bit process and a release may be hundreds of MiB). The manifest is the
// first entry: it is read, its signature checked and its rules applied before any file is
// written. Each other entry must be a path the manifest lists; it is streamed to disk while its
// SHA-256 is computed, its size watched as it grows, and flushed before the next one begins.

#include <windows.h>

#include <string>
#include <vector>

#include "updater/package/package_manifest.h"

// The first entry's bytes, no larger than this.
constexpr size_t kManifestLimitBytes = 8 * 1024 * 1024;

// The manifest of the package at `zipPath`: its whole bytes (as ".upd-manifest" is written) and
// what they say, verified with `keys`. False with `refusal` set otherwise.
bool ReadPackageManifest(const std::wstring& zipPath, const std::vector<Ed25519Key>& keys, std::string& bytes,
                         PackageManifest& manifest, PackageRefusal& refusal);

// Writes every entry after the manifest into `releaseFolder` (which must exist), creates the
// listed empty folders and writes `manifestBytes` as ".upd-manifest" last, so a folder with a
// manifest is a whole release. Each file is created new, never over anything. False with
// `refusal` set on the first entry the manifest does not vouch for, byte for byte; what was
// written stays for the caller to remove. The files in `staged` are already in place (hard
// links to unchanged live files): their entries are checked, not written.
bool ExtractPackage(const std::wstring& zipPath, const PackageManifest& manifest, const std::string& manifestBytes,
                    const std::wstring& releaseFolder, PackageRefusal& refusal,
                    const std::vector<std::wstring>& staged = {});

// "<folder>\<relative path>" with "/" turned into "\", in the form the file functions take
// whatever its length.
std::wstring ReleasePath(const std::wstring& folder, const std::wstring& relativePath);
// Creates the folders along `relativePath` below `folder` (not its last step); true when they
// are all there.
bool CreateFoldersAlong(const std::wstring& folder, const std::wstring& relativePath);
