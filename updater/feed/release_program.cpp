#include "updater/feed/release_program.h"

#include "updater/feed/version_compare.h"

const char* ReleaseProgramProblem(const ProgramFacts& facts, const ExpectedRelease& expected) {
    if (!facts.isWindowsProgram) return "not a Windows program";
    if (facts.isDll) return "a DLL";
    if (facts.machine != expected.machine) return "for another machine";
    if (!facts.hasVersionResource) return "without a version resource";
    if (facts.productName != expected.productName) return "another product";
    if (CompareVersions(facts.fileVersion, expected.version) != 0) return "not the offered version";
    if (CompareVersions(facts.fileVersion, expected.installedVersion) <= 0) return "not newer than the installed version";
    return nullptr;
}
