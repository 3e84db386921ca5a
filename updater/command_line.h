#pragma once
// The updater's command line: exactly the URL of the new file and the full path of the file it
// replaces. Anything else is refused without a word.

#include <string>

struct UpdateRequest {
    std::wstring url;
    std::wstring targetPath;
};

// Splits `commandLine` like CommandLineToArgvW. False when it is null, cannot be split, or does
// not hold exactly the program path and two arguments.
bool ParseCommandLine(const wchar_t* commandLine, UpdateRequest& request);
