#pragma once
// Running a vendor's installer (an .exe, or an .msi through msiexec) and waiting for it to end.
// The installer is started by CreateProcessW; only where Windows requires elevation
// (ERROR_ELEVATION_REQUIRED) does the shell start it, so that the system's own consent prompt
// shows the verified publisher. There is no time limit: an installer may wait for its user.

#include <windows.h>

#include <string>

// What a feed's installer release says of how to run it and what it must leave installed.
struct InstallerRelease {
    bool msi = false;
    std::wstring arguments;       // sparkle:installerArguments
    std::wstring offeredVersion;  // the installed program's FileVersion must equal it afterwards
};

struct InstallerLaunch {
    std::wstring file;       // the verified installer, a full path
    bool msi = false;        // run through msiexec /i
    std::wstring arguments;  // the item's sparkle:installerArguments, as the vendor wrote them
};

// The program CreateProcessW runs (msiexec.exe in the system folder for an .msi) and the whole
// command line: "<file>" <arguments>, or msiexec /i "<file>" <arguments>.
std::wstring InstallerProgram(const InstallerLaunch& launch);
std::wstring InstallerCommandLine(const InstallerLaunch& launch);

// Where the installer is run from: beside the download, named for its kind. An earlier run's
// file still there (held while that run ended) is removed by the next check or installer run.
std::wstring InstallerFilePath(const std::wstring& targetPath, bool msi);

// 0, and 3010 / 1641 (done, a restart asked for or begun): the installer's success.
bool IsInstallerSuccess(DWORD exitCode);

enum class InstallerRunResult { Ended, NotStarted };

// Starts the installer and waits for its end; `exitCode` receives its exit code. Each start
// and its outcome are logged.
InstallerRunResult RunInstaller(const InstallerLaunch& launch, DWORD& exitCode);
