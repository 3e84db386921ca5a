#include "updater/install/installer_run.h"

#include <shellapi.h>

#include "ui/util/unique_handle.h"
#include "updater/paths.h"
#include "updater/update_log.h"

namespace {

constexpr DWORD kErrorElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring(L"C:\\Windows\\System32");
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// The arguments after the program, as the shell takes them apart from the command line.
std::wstring ShellParameters(const InstallerLaunch& launch) {
    if (launch.msi) return L"/i " + Quoted(launch.file) + (launch.arguments.empty() ? L"" : L" " + launch.arguments);
    return launch.arguments;
}

UniqueHandle StartCreated(const InstallerLaunch& launch, DWORD& error) {
    std::wstring commandLine = InstallerCommandLine(launch);
    const std::wstring program = InstallerProgram(launch);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        error = GetLastError();
        return UniqueHandle();
    }
    CloseHandle(created.hThread);
    return UniqueHandle(created.hProcess);
}

// Only for an installer whose manifest asks for elevation: the consent prompt is the system's.
UniqueHandle StartElevated(const InstallerLaunch& launch, DWORD& error) {
    const std::wstring program = InstallerProgram(launch);
    const std::wstring parameters = ShellParameters(launch);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || info.hProcess == nullptr) {
        error = GetLastError();
        return UniqueHandle();
    }
    return UniqueHandle(info.hProcess);
}

}  // namespace

std::wstring InstallerProgram(const InstallerLaunch& launch) {
    return launch.msi ? SystemFolder() + L"\\msiexec.exe" : launch.file;
}

std::wstring InstallerCommandLine(const InstallerLaunch& launch) {
    const std::wstring head = launch.msi ? L"msiexec /i " + Quoted(launch.file) : Quoted(launch.file);
    return launch.arguments.empty() ? head : head + L" " + launch.arguments;
}

std::wstring InstallerFilePath(const std::wstring& targetPath, bool msi) {
    return TempDownloadPath(targetPath) + (msi ? L"-installer.msi" : L"-installer.exe");
}

bool IsInstallerSuccess(DWORD exitCode) {
    return exitCode == 0 || exitCode == 3010 || exitCode == 1641;
}

InstallerRunResult RunInstaller(const InstallerLaunch& launch, DWORD& exitCode) {
    LogLine("installer: running %s", Utf8(InstallerCommandLine(launch)).c_str());
    DWORD error = 0;
    UniqueHandle process = StartCreated(launch, error);
    if (!process && error == kErrorElevationRequired) {
        LogLine("installer: it asks for elevation; started through the shell's consent prompt");
        process = StartElevated(launch, error);
    }
    if (!process) {
        LogLine("installer: FAILED to start, error %lu", error);
        return InstallerRunResult::NotStarted;
    }
    WaitForSingleObject(process.Get(), INFINITE);
    exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    LogLine("installer: ended with exit code %lu", exitCode);
    return InstallerRunResult::Ended;
}
