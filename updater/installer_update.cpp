#include "updater/installer_update.h"

#include <objbase.h>

#include <memory>
#include <new>
#include <utility>

#include "updater/delivery/file_snapshot.h"
#include "updater/feed/version_compare.h"
#include "updater/files/file_write.h"
#include "updater/install/close_programs.h"
#include "updater/install/install.h"
#include "updater/install/program_start.h"
#include "updater/paths.h"
#include "updater/trust/program_facts.h"
#include "updater/update_log.h"

struct InstallerUpdate::Job {
    HWND window = nullptr;
    UniqueHandle download;
    std::wstring targetPath;
    InstallerRelease release;
};

namespace {

bool RunRelease(HANDLE download, const std::wstring& targetPath, const InstallerRelease& release) {
    FileSnapshot installer;
    const std::wstring path = InstallerFilePath(targetPath, release.msi);
    if (!installer.Take(download, path)) {
        LogLine("installer: FAILED, the installer cannot be written to \"%s\"", Utf8(path).c_str());
        return false;
    }
    const ClosedPrograms closed = CloseTargetPrograms(targetPath, InstallTimings{});
    if (closed.running > 0) LogLine("installer: %d program(s) of the target still run; the installer sees them", closed.running);
    DWORD exitCode = 0;
    const bool ended = RunInstaller({path, release.msi, release.arguments}, exitCode) == InstallerRunResult::Ended;
    return InstallerOutcomeHolds(ended, exitCode, targetPath, release.offeredVersion);
}

}  // namespace

bool InstallerOutcomeHolds(bool ended, DWORD exitCode, const std::wstring& targetPath,
                           const std::wstring& offeredVersion) {
    ProgramFacts facts;
    const bool read = ReadProgramFacts(targetPath, facts) && facts.isWindowsProgram && facts.hasVersionResource;
    const std::string found = read ? "\"" + Utf8(facts.fileVersion) + "\"" : "none";
    if (ended && IsInstallerSuccess(exitCode) && read && CompareVersions(facts.fileVersion, offeredVersion) == 0) {
        LogLine("installer: installed version %s (exit code %lu)", found.c_str(), exitCode);
        return true;
    }
    LogLine("installer: FAILED, exit code %s, version found %s, offered \"%s\"",
            ended ? std::to_string(exitCode).c_str() : "none (not started)", found.c_str(),
            Utf8(offeredVersion).c_str());
    return false;
}

InstallerUpdate::~InstallerUpdate() {
    // The window goes only after the outcome; an installer still at work is never cut short.
    if (thread) WaitForSingleObject(thread.Get(), INFINITE);
}

bool InstallerUpdate::Start(HWND window, UniqueHandle download, const std::wstring& targetPath,
                            const InstallerRelease& release) {
    std::unique_ptr<Job> job(new (std::nothrow) Job{window, std::move(download), targetPath, release});
    if (!job || thread) return false;
    thread.Reset(CreateThread(nullptr, 0, Run, job.get(), 0, nullptr));
    if (!thread) return false;
    job.release();  // the thread owns its job now
    return true;
}

DWORD WINAPI InstallerUpdate::Run(void* parameter) {
    std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    // The shell's consent prompt and the program start go through COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    bool installed = RunRelease(job->download.Get(), job->targetPath, job->release);
    // The downloaded file goes once the installer has ended (its copy went with the snapshot).
    DeleteWhenClosed(job->download.Get());
    job->download.Reset();
    if (installed && StartProgram(job->targetPath, true) != StartResult::Started) {
        LogLine("installer: the installed program did not start");
        installed = false;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    PostMessageW(job->window, WM_INSTALLER_FINISHED, installed ? 1 : 0, 0);
    return 0;
}
