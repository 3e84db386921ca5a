#pragma once
// What the check needs to know about the installed program and the system it runs on.

#include <windows.h>

#include <string>
#include <vector>

#include "updater/trust/ed25519.h"
#include "updater/trust/program_facts.h"

struct InstalledProgram {
    std::wstring path;
    ProgramFacts facts;
    std::vector<Ed25519Key> keys;
};

// Reads the program's version resource and its key resource, both as data. False (with a log
// line saying which is missing) when the program cannot use a feed.
bool ReadInstalledProgram(const std::wstring& path, InstalledProgram& program);

// Whether the program carries an intact Authenticode signature that chains to a trusted root
// (an expired signer counts: it still names the publisher). Logged.
bool HasTrustedAuthenticode(const std::wstring& path);

struct SystemVersion {
    unsigned major = 0, minor = 0, build = 0;
};
// The running Windows' own version, which a compatibility shim never changes.
SystemVersion RunningSystemVersion();
