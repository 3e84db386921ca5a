#include "updater/package/release_main.h"

#include <windows.h>

#include "updater/feed/release_program.h"
#include "updater/paths.h"
#include "updater/trust/program_facts.h"
#include "updater/trust/publisher_pin.h"
#include "ui/util/unique_handle.h"

namespace {

bool Refuse(PackageRefusal& refusal, const std::wstring& path, const char* rule) {
    refusal.path = path;
    refusal.rule = rule;
    return false;
}

}  // namespace

bool MainProgramPasses(const PackageManifest& manifest, const std::wstring& stagedMain,
                       const std::wstring& installedMain, PackageRefusal& refusal) {
    ProgramFacts installed, staged;
    if (!ReadProgramFacts(installedMain, installed) || !installed.isWindowsProgram) {
        return Refuse(refusal, installedMain, "the installed program cannot be read");
    }
    if (manifest.product != installed.productName) return Refuse(refusal, manifest.main, "another product");
    if (MachineOfName(manifest.machine) != installed.machine) return Refuse(refusal, manifest.main, "for another machine");
    const ExpectedRelease expected{installed.machine, installed.productName, manifest.version, installed.fileVersion};
    const char* problem = ReadProgramFacts(stagedMain, staged) ? ReleaseProgramProblem(staged, expected)
                                                               : "not a Windows program";
    if (problem != nullptr) return Refuse(refusal, manifest.main, problem);
    // The manifest was verified with an installed Ed25519 key: the vendor's key carries this
    // release, so the pin may move to a trusted signature of another subject, as for a feed item.
    UniqueHandle file(CreateFileW(LongPathForm(stagedMain).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file || !PublisherAllows(file.Get(), stagedMain, installedMain, true)) {
        return Refuse(refusal, manifest.main, "not signed by the pinned publisher");
    }
    return true;
}
