#pragma once
// The updater's command line: exactly the URL of the new file and the full path of the file it
// replaces, or, from the logon entry that finishes an unsettled installation, "--recover" and
// that path. Anything else is refused without a word.

#include <string>

struct UpdateRequest {
    std::wstring url;
    std::wstring targetPath;
    bool recover = false;  // "--recover <target>": settle the target's journal, nothing else
};

// Splits `commandLine` like CommandLineToArgvW. False when it is null, cannot be split, or does
// not hold exactly the program path and two arguments. "--recover" is no URL, so it cannot mean
// an update.
bool ParseCommandLine(const wchar_t* commandLine, UpdateRequest& request);
