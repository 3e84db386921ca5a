#pragma once
// How a delta is cut, as pure logic over the base's and the target's manifests: a target file
// whose content some base file holds is a copy (from the same path when it can be); the others
// are grouped in manifest order, each with its old version (the base file at the same path)
// in the group's dictionary, a group closed before its dictionary or its output would pass
// 64 MiB. A file above 64 MiB is a group of its own (its old version as dictionary only when
// that fits the bound), and one above 256 MiB is stored as plainly compressed new content.

#include "updater/package/delta_format.h"

// The header's operations; the frame sizes and the digests are for the writer to fill in.
DeltaHeader PlanDelta(const PackageManifest& base, const PackageManifest& target);
