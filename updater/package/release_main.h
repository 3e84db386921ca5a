#pragma once
// The main program of a staged release held to the rules a single-file release meets: a
// Windows program for the installed program's machine, of the same product, at exactly the
// release's version and above the installed one, and signed by the pinned publisher. The
// manifest's own claims (product, machine) must agree with the installed program too.

#include <string>

#include "updater/package/package_manifest.h"

// `stagedMain` is "<new release>\<Main>.exe", `installedMain` the live release's. False with
// `refusal` naming the main program and the rule it breaks.
bool MainProgramPasses(const PackageManifest& manifest, const std::wstring& stagedMain,
                       const std::wstring& installedMain, PackageRefusal& refusal);
