#include "updater/install/install_thread.h"

#include <objbase.h>

#include <memory>
#include <new>
#include <utility>

#include "updater/files/file_write.h"
#include "updater/install/install.h"
#include "updater/install/package_install.h"
#include "updater/install/recovery.h"
#include "updater/paths.h"
#include "updater/update_log.h"

struct InstallThread::Job {
    bool install = false;  // otherwise a recovery
    HWND window = nullptr;
    std::wstring targetPath;
    UniqueHandle download;
    bool oldProgramClosed = false;
    std::shared_ptr<HostPrompt> prompt;
};

void InstallThread::PostStep(InstallStage stage, void* job) {
    PostMessageW(static_cast<Job*>(job)->window, WM_INSTALL_STEP, static_cast<WPARAM>(stage), 0);
}

HostWait InstallThread::AskAboutRunningPrograms(const std::wstring& target, void* parameter) {
    auto* job = static_cast<Job*>(parameter);
    PostMessageW(job->window, WM_INSTALL_HOST_BUSY, 0, 0);
    return job->prompt->Wait(target);
}

// The package is read by its name (the held download refuses no reader); it goes once installed.
InstallResult InstallThread::InstallRelease(Job& job, const InstallObserver& observer) {
    const InstallResult result = InstallPackage(TempDownloadPath(job.targetPath), job.targetPath,
                                                InstalledReleaseKeys(job.targetPath), {}, observer,
                                                job.oldProgramClosed);
    if (result == InstallResult::Installed && job.download) DeleteWhenClosed(job.download.Get());
    job.download.Reset();
    return result;
}

InstallThread::~InstallThread() {
    Join();
}

bool InstallThread::StartRecovery(HWND window, const std::wstring& targetPath) {
    return Start(new (std::nothrow) Job{false, window, targetPath, UniqueHandle(), false, prompt});
}

bool InstallThread::StartInstall(HWND window, UniqueHandle download, const std::wstring& targetPath,
                                 bool oldProgramClosed) {
    return Start(new (std::nothrow) Job{true, window, targetPath, std::move(download), oldProgramClosed, prompt});
}

bool InstallThread::Running() const {
    return thread && WaitForSingleObject(thread.Get(), 0) == WAIT_TIMEOUT;
}

void InstallThread::AnswerHostPrompt(HostWait answer) {
    prompt->Answer(answer);
}

// A window that goes while the user is asked takes the question with it: the old program stays.
void InstallThread::Join() {
    if (Running()) prompt->Answer(HostWait::Cancel);
    if (thread) WaitForSingleObject(thread.Get(), kStopTimeoutMs);
    thread.Reset();
}

bool InstallThread::Start(Job* job) {
    std::unique_ptr<Job> owned(job);
    if (!owned || Running()) return false;
    Join();
    thread.Reset(CreateThread(nullptr, 0, Run, owned.get(), 0, nullptr));
    if (!thread) return false;
    owned.release();  // the thread owns its job now
    return true;
}

DWORD WINAPI InstallThread::Run(void* parameter) {
    std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    // The shell starts programs through COM; it wants an apartment on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (!job->install) {
        // The installation that follows starts a program when it ends; this settle starts none.
        bool restartDeferred = false;
        const RecoveryResult result = RecoverInterruptedInstall(job->targetPath, {}, &restartDeferred);
        PostMessageW(job->window, WM_RECOVERY_FINISHED, static_cast<WPARAM>(result), restartDeferred ? 1 : 0);
    } else {
        InstallObserver observer;
        observer.stepBegun = PostStep;
        observer.programsStillRun = AskAboutRunningPrograms;
        observer.context = job.get();
        const InstallResult result = IsReleaseLayout(job->targetPath)
                                         ? InstallRelease(*job, observer)
                                         : InstallUpdate(std::move(job->download), job->targetPath, {}, observer,
                                                         job->oldProgramClosed);
        PostMessageW(job->window, WM_INSTALL_FINISHED, static_cast<WPARAM>(result), 0);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}
