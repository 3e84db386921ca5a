#pragma once
// One group of a delta: its dictionary read from the live release (each file checked against
// the live manifest as it is read), its zstd frame decoded as a stream from the open delta file,
// and the output split by the target manifest's sizes into new files, each checked (size and
// SHA-256) before it counts as verified.

#include <windows.h>

#include <string>
#include <vector>

#include "updater/package/delta_format.h"

struct GroupDecoding {
    HANDLE delta;  // positioned at the group's frame
    const DeltaGroup* group;
    const PackageManifest* live;
    std::wstring liveFolder;
    const PackageManifest* next;
    std::wstring newFolder;
};

// Appends each member written and checked to `verified`. On failure the member being written is
// removed, so the folder holds only verified files, and `refusal` names the file and the rule.
bool DecodeGroup(const GroupDecoding& decoding, std::vector<std::wstring>& verified, PackageRefusal& refusal);
