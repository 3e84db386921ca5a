#pragma once
// The installation's own thread. The update window hands it the finished download (or, before
// the download, the target to settle) and goes on answering its messages; the thread posts each
// step and, once, the outcome. Nothing of the window runs in the middle of an installation, and
// nothing of the installation runs in the middle of a window message.

#include <windows.h>

#include <memory>
#include <string>

#include "updater/install/host_prompt.h"

#include "ui/util/unique_handle.h"
#include "updater/install/install.h"

enum class InstallStage;

constexpr UINT WM_INSTALL_STEP = 2040;       // wParam: the InstallStage begun
constexpr UINT WM_INSTALL_FINISHED = 2041;   // wParam: the InstallResult
constexpr UINT WM_RECOVERY_FINISHED = 2042;  // wParam: the RecoveryResult; lParam: 1 when the
                                             // old program is to be started should nothing be
                                             // installed (see RecoverInterruptedInstall)
// A program of the target is still running after the close request: the window asks the user,
// who answers through AnswerHostPrompt; the installation goes on by itself once the program ends.
constexpr UINT WM_INSTALL_HOST_BUSY = 2043;

class InstallThread {
public:
    // How long a window that goes waits for an installation still at work. Every step is
    // bounded (the host's exit, the start watch); an installation is never cut in half by the
    // end of the process while it can still finish.
    static constexpr DWORD kStopTimeoutMs = 60000;

    InstallThread() = default;
    ~InstallThread();
    InstallThread(const InstallThread&) = delete;
    InstallThread& operator=(const InstallThread&) = delete;

    // Settles what an earlier run left for `targetPath`; posts WM_RECOVERY_FINISHED to `window`.
    bool StartRecovery(HWND window, const std::wstring& targetPath);
    // Installs `download` over `targetPath`; posts WM_INSTALL_STEP and WM_INSTALL_FINISHED.
    // False when no thread can be started (the download is then closed, not installed).
    // `oldProgramClosed`: an earlier run closed the old program, which a failure starts again.
    bool StartInstall(HWND window, UniqueHandle download, const std::wstring& targetPath,
                      bool oldProgramClosed = false);

    bool Running() const;
    // Waits for the thread to end (at most kStopTimeoutMs); a question still open is cancelled.
    void Join();

    // The user's answer to WM_INSTALL_HOST_BUSY: Retry or Cancel.
    void AnswerHostPrompt(HostWait answer);

private:
    struct Job;
    bool Start(Job* job);
    static DWORD WINAPI Run(void* job);
    static void PostStep(InstallStage stage, void* job);
    static HostWait AskAboutRunningPrograms(const std::wstring& target, void* job);
    static InstallResult InstallRelease(Job& job, const InstallObserver& observer);

    UniqueHandle thread;
    std::shared_ptr<HostPrompt> prompt = std::make_shared<HostPrompt>();
};
