// A vendor's installer as the feed tests need one: copies a file over the installed program
// (--copy SOURCE TARGET) and ends with the exit code asked for (--exit N), as a real installer
// ends with 0, 3010 (a restart asked for) or an error.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <cstdlib>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    int exitCode = 0;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        if (wcscmp(arguments[i], L"--copy") == 0 && i + 2 < count) {
            if (!CopyFileW(arguments[i + 1], arguments[i + 2], FALSE)) exitCode = 1603;
            i += 2;
        } else if (wcscmp(arguments[i], L"--exit") == 0 && i + 1 < count && exitCode == 0) {
            exitCode = static_cast<int>(std::wcstol(arguments[++i], nullptr, 10));
        }
    }
    LocalFree(arguments);
    return exitCode;
}
