#pragma once
// The steps of a whole-folder installation, on the same do/undo walk and journal as a single
// file's: stage the new release folder beside the live one, close what runs from the live one,
// carry the user's files over, switch `current`, start through the launcher, clean the old
// folder up. The journal's target is the launcher; its "old program" is the live release's
// manifest and its "new program" the new one's, so each undo can tell the releases by content.
// The switch is the one commit point: before it the launcher starts the live release, after
// it the new one, and no folder that may hold a running file is ever renamed.

#include <string>

#include "updater/install/install_steps.h"
#include "updater/package/package_manifest.h"

// The verified package an installation stages from.
struct PackageSource {
    std::wstring zipPath;
    std::string manifestBytes;  // as the new folder's ".upd-manifest" holds them
    PackageManifest manifest;
};

// The journal facts naming the two release folders ("app-<version>").
constexpr char kLiveReleaseFact[] = "live";
constexpr char kNextReleaseFact[] = "next";

// The steps in their order.
extern const InstallStepItem* const kPackageSteps[];
extern const size_t kPackageStepCount;

// Null for a name no whole-folder step has.
const InstallStepItem* PackageStepNamed(const std::string& name);

// Logs a refusal as "package: REFUSED \"<path>\": <rule>".
void LogPackageRefusal(const PackageRefusal& refusal);
