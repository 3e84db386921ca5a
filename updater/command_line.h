#pragma once
// The updater's command line. Two forms: exactly the URL of the new file and the full path of the
// file it replaces (anything else that is not a check is refused without a word), or a check of
// an update feed:
//     --check [--now] [--yes] [--channel NAME] <feed URL> <full path of the installed program>

#include <string>

struct UpdateRequest {
    std::wstring url;
    std::wstring targetPath;
};

struct CheckRequest {
    bool now = false;      // the user asked: ignore the interval and a skipped version, say the outcome
    bool yes = false;      // install a newer version without asking
    std::wstring channel;  // items of this channel are offered too; empty: none
    std::wstring feedUrl;
    std::wstring programPath;
};

enum class CommandKind {
    Ignored,         // neither form: exit 0, nothing shown
    Update,          // the two-argument form
    Check,           // a well-formed --check line
    MalformedCheck,  // starts with --check but cannot be read: exit 3 and one log line
};

// Splits `commandLine` like CommandLineToArgvW. False when it is null, cannot be split, or does
// not hold exactly the program path and two arguments.
bool ParseCommandLine(const wchar_t* commandLine, UpdateRequest& request);

// Which form `commandLine` has; fills `update` or `check` for its form. `problem` (for the log)
// says what is wrong with a malformed check.
CommandKind ParseAnyCommandLine(const wchar_t* commandLine, UpdateRequest& update, CheckRequest& check,
                                std::string& problem);
