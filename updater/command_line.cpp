#include "updater/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

bool ParseCommandLine(const wchar_t* commandLine, UpdateRequest& request) {
    if (commandLine == nullptr) return false;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &count);
    if (argv == nullptr) return false;
    const bool accepted = count == 3;
    if (accepted) {
        request.recover = std::wcscmp(argv[1], L"--recover") == 0;
        request.url = request.recover ? L"" : argv[1];
        request.targetPath = argv[2];
    }
    LocalFree(argv);
    return accepted;
}
