#pragma once
// The decisions of a switch from the live release folder to a new one, as pure logic over the
// two manifests and the files found on disk: which files the new release can share with the
// live one, which of the user's files go along, and what the clean-up of the old folder may
// delete. Paths are relative, with "/"; case is ignored as the file system ignores it.

#include <cstdint>
#include <string>
#include <vector>

#include "updater/package/package_manifest.h"

// The new release's files whose path, size and SHA-256 the live release lists too: they can
// be staged as hard links to the live files (once the live file is seen to hold that content).
std::vector<std::wstring> UnchangedFiles(const PackageManifest& live, const PackageManifest& next);

// The bytes a new release takes on disk when the `linked` files share the live release's
// (hard links take no room of their own); the manifest itself is counted too.
uint64_t BytesToStage(const PackageManifest& next, const std::vector<std::wstring>& linked, size_t manifestBytes);

struct CarriedFile {
    std::wstring from;  // in the live folder
    std::wstring to;    // in the new folder
};

// The user's files: those found in the live folder (`found`) that its manifest does not list.
// Each goes to the same path in the new folder, or, when the new release ships that path
// itself, to "<path>.user-<live version>": the release wins and the user's copy is kept.
std::vector<CarriedFile> PlanCarryOver(const PackageManifest& live, const PackageManifest& next,
                                       const std::vector<std::wstring>& found);

struct CleanUpPlan {
    std::vector<std::wstring> remove;  // listed by the old manifest, carried over, or the manifest itself
    std::vector<std::wstring> keep;    // anything else: never deleted, only logged
};

// What the clean-up of the old release folder does with each file found there.
CleanUpPlan PlanCleanUp(const PackageManifest& old, const std::vector<CarriedFile>& carried,
                        const std::vector<std::wstring>& found);
