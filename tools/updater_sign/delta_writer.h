#pragma once
// Writes a delta file between two unpacked releases: the cut PlanDelta decides, each group one
// zstd frame (level 19, long-distance matching, checksum on) whose dictionary is the group's old
// versions concatenated, and the header the updater reads. The frames go to a scratch file
// first, since the header that precedes them carries their sizes.

#include <string>

#include "updater/package/package_manifest.h"

struct ReleaseSide {
    std::wstring folder;        // the release unpacked
    PackageManifest manifest;
    std::string manifestBytes;  // its signed ".upd-manifest"
};

// Never over an existing file. False with `error` set.
bool WriteDelta(const ReleaseSide& base, const ReleaseSide& target, const std::wstring& outPath, std::string& error);
