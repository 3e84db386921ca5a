#pragma once
// Installing a whole-folder release: a package zip over the layout "<root>\<Main>.exe" (the
// launcher), "<root>\current" and "<root>\app-<version>\". The package's manifest is read and
// its signature checked with the installed keys before anything is written; then the steps of
// package_steps.h run as one transaction with a journal beside the launcher.

#include <string>
#include <vector>

#include "updater/install/install.h"
#include "updater/package/release_files.h"
#include "updater/trust/ed25519.h"

// The keys in the live release's main program ("<root>\\<current's folder>\\<Main>.exe"): in
// the two-argument form no feed vouches for the package, an installed key must. Empty (and
// logged) when they cannot be read.
std::vector<Ed25519Key> InstalledReleaseKeys(const std::wstring& launcherPath);

// Installs the package at `zipPath` for the launcher at `launcherPath`. StagingFailed, with a
// log line naming the file and the rule, for a package refused before anything was written or
// while it was staged; the live release is then untouched (and, when it was closed, started
// again). See InstallUpdate for `oldProgramClosed`.
InstallResult InstallPackage(const std::wstring& zipPath, const std::wstring& launcherPath,
                             const std::vector<Ed25519Key>& keys, const InstallTimings& timings = {},
                             const InstallObserver& observer = {}, bool oldProgramClosed = false);
