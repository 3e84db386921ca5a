#pragma once
// What a release's program must say of itself, whether it arrives alone (a feed's enclosure)
// or as the main program of a whole-folder release: the facts read from its file against what
// the installed program and the release promise.

#include <cstdint>
#include <string>

#include "updater/trust/program_facts.h"

struct ExpectedRelease {
    std::uint16_t machine = 0;     // the installed program's PE machine
    std::wstring productName;      // the installed program's ProductName
    std::wstring version;          // the release's version (the feed item's, the manifest's)
    std::wstring installedVersion;
};

// Why the program is not the release expected: not a Windows program, a DLL, for another
// machine, without a version resource, of another product, not exactly the release's version
// or not above the installed one. Null when it is.
const char* ReleaseProgramProblem(const ProgramFacts& facts, const ExpectedRelease& expected);
