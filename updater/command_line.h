#pragma once
// The updater's command line. Three forms: exactly the URL of the new file and the full path of
// the file it replaces (anything else that is not a check is refused without a word); from the
// logon entry that finishes an unsettled installation, "--recover" and that path; or a check of
// an update feed:
//     --check [--now] [--yes] [--channel NAME] <feed URL> <full path of the installed program>
// Before either of the first and the last: "--lang zh-CN|en", the language of every text.

#include <optional>
#include <string>

#include "updater/ui_language.h"

struct UpdateRequest {
    std::wstring url;
    std::wstring targetPath;
    bool recover = false;  // "--recover <target>": settle the target's journal, nothing else
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
// not hold exactly the program path and two arguments. "--recover" is no URL, so it cannot mean
// an update.
bool ParseCommandLine(const wchar_t* commandLine, UpdateRequest& request);

// Which form `commandLine` has; fills `update` or `check` for its form. `problem` (for the log)
// says what is wrong with a malformed check. Either form may start with "--lang zh-CN|en", which
// sets `language`; an unknown language makes the line Ignored (a check: MalformedCheck).
CommandKind ParseAnyCommandLine(const wchar_t* commandLine, UpdateRequest& update, CheckRequest& check,
                                std::string& problem, std::optional<Language>* language = nullptr);
