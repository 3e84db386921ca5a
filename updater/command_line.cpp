#include "updater/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "updater/paths.h"

namespace {

std::vector<std::wstring> SplitArguments(const wchar_t* commandLine, bool& ok) {
    std::vector<std::wstring> arguments;
    ok = false;
    if (commandLine == nullptr) return arguments;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &count);
    if (argv == nullptr) return arguments;
    arguments.assign(argv, argv + count);
    LocalFree(argv);
    ok = true;
    return arguments;
}

// Reads the options and the two operands after "--check". An option is known only before the
// operands: a feed URL or a path may not start with "--" anyway.
bool ReadCheck(const std::vector<std::wstring>& arguments, CheckRequest& check, std::string& problem) {
    size_t at = 2;
    for (; at < arguments.size() && arguments[at].compare(0, 2, L"--") == 0; ++at) {
        const std::wstring& option = arguments[at];
        if (option == L"--now" && !check.now) {
            check.now = true;
        } else if (option == L"--yes" && !check.yes) {
            check.yes = true;
        } else if (option == L"--channel" && check.channel.empty() && at + 1 < arguments.size() &&
                   !arguments[at + 1].empty()) {
            check.channel = arguments[++at];
        } else {
            problem = "unknown, repeated or incomplete option";
            return false;
        }
    }
    if (arguments.size() - at != 2 || arguments[at].empty() || arguments[at + 1].empty()) {
        problem = "expected a feed URL and the installed program's path after the options";
        return false;
    }
    check.feedUrl = arguments[at];
    check.programPath = arguments[at + 1];
    if (!IsFullPath(check.programPath)) {
        problem = "the installed program's path is not a full path";
        return false;
    }
    return true;
}

bool ReadUpdate(const std::vector<std::wstring>& arguments, UpdateRequest& request) {
    if (arguments.size() != 3) return false;
    request.recover = arguments[1] == L"--recover";
    request.url = request.recover ? L"" : arguments[1];
    request.targetPath = arguments[2];
    return true;
}

// Takes "--lang <tag>" off the front of the arguments. False when the tag is missing or unknown.
bool TakeLanguage(std::vector<std::wstring>& arguments, std::optional<Language>& language) {
    if (arguments.size() < 2 || arguments[1] != L"--lang") return true;
    language = arguments.size() >= 3 ? ParseLanguageTag(arguments[2]) : std::nullopt;
    arguments.erase(arguments.begin() + 1, arguments.begin() + (arguments.size() >= 3 ? 3 : 2));
    return language.has_value();
}

}  // namespace

bool ParseCommandLine(const wchar_t* commandLine, UpdateRequest& request) {
    bool ok = false;
    const std::vector<std::wstring> arguments = SplitArguments(commandLine, ok);
    return ok && ReadUpdate(arguments, request);
}

CommandKind ParseAnyCommandLine(const wchar_t* commandLine, UpdateRequest& update, CheckRequest& check,
                                std::string& problem, std::optional<Language>* language) {
    bool ok = false;
    std::vector<std::wstring> arguments = SplitArguments(commandLine, ok);
    if (!ok) return CommandKind::Ignored;
    std::optional<Language> chosen;
    const bool languageKnown = TakeLanguage(arguments, chosen);
    if (language != nullptr) *language = chosen;
    const bool isCheck = arguments.size() >= 2 && arguments[1] == L"--check";
    if (!languageKnown) {
        problem = "unknown language after --lang (zh-CN or en)";
        return isCheck ? CommandKind::MalformedCheck : CommandKind::Ignored;
    }
    if (isCheck) return ReadCheck(arguments, check, problem) ? CommandKind::Check : CommandKind::MalformedCheck;
    return ReadUpdate(arguments, update) ? CommandKind::Update : CommandKind::Ignored;
}
