#pragma once
// Applies a delta file to the live release folder, writing the next release into a new staged
// folder. Nothing is trusted on the way: the delta must be made for the live manifest's bytes,
// its target manifest is verified with the installed program's keys, every base file read is
// checked against the live manifest (size and SHA-256) before it is used, and every produced
// file against the target manifest before it counts. Only a group's dictionary (at most
// 64 MiB) and the decoder's window are ever held in memory; the frames are read and the files
// written as streams. The target's ".upd-manifest" is written last, so a folder holding it is
// a whole release. On any failure the files already verified stay (for the full package to
// complete) and the unverified ones of the failing step are removed.

#include <string>
#include <vector>

#include "updater/package/delta_format.h"

struct DeltaApplication {
    std::wstring deltaPath;
    std::wstring liveFolder;
    const PackageManifest* live = nullptr;
    Sha256Digest liveManifestSha256 = {};  // of the live ".upd-manifest" bytes, as `current` holds it
    std::vector<Ed25519Key> keys;
    std::wstring newFolder;                // exists, empty
};

struct DeltaOutcome {
    PackageManifest next;
    std::string nextManifestBytes;
    std::vector<std::wstring> verified;  // target paths written and checked
    PackageRefusal refusal;              // why it failed
};

bool ApplyDelta(const DeltaApplication& application, DeltaOutcome& outcome);

// Completes a release folder from the full package after a failed delta: the files the delta
// verified stay when the package's manifest lists them with the same content (the others go),
// and only the missing ones are unpacked. False with `refusal` set when the package fails too.
bool CompleteFromPackage(const std::wstring& zipPath, const std::vector<Ed25519Key>& keys,
                         const DeltaOutcome& delta, const std::wstring& newFolder, PackageRefusal& refusal);

// The delta's verified files the full package's manifest lists with the same content.
std::vector<std::wstring> StillValid(const std::vector<std::wstring>& verified, const PackageManifest& deltaTarget,
                                     const PackageManifest& full);
