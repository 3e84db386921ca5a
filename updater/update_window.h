#pragma once
// CUpdateWnd: the updater's only window, built from the skin "downdlg.xml" in the program's
// "ZIPRES" resource 129. It shows the file being fetched and the progress, keeps an icon in
// the notification area, starts the download when first painted (once what an earlier run left
// beside the target is settled), has the result installed on the installation's own thread while
// it shows the steps, reports a failure, and closes itself three seconds after the outcome.

#include <windows.h>
// The notification-area records need the Windows types first.
#include <shellapi.h>

#include <memory>
#include <string>
#include <utility>

#include "ui/core/window_impl_base.h"
#include "updater/delivery/download.h"
#include "updater/install/install.h"
#include "updater/install/install_thread.h"
#include "updater/install/single_instance.h"
#include "ui/util/unique_handle.h"
#include "updater/ui_texts.h"

class CControlUI;
class CProgressUI;

constexpr UINT WM_TRAY_NOTIFY = 2037;
constexpr UINT TRAY_ICON_ID = 128;
constexpr UINT TIMER_AUTO_CLOSE = 510;
constexpr UINT kAutoCloseDelayMs = 3000;
constexpr int IDR_SKIN_ZIP = 129;
constexpr int IDI_UPDATER = 107;

// Allocated with new; deletes itself once its native window is destroyed.
class CUpdateWnd final : public WindowImplBase {
public:
    // How long a closing window waits for its download worker to stop.
    static constexpr DWORD kWorkerStopTimeoutMs = 5000;

    CUpdateWnd(std::wstring url, std::wstring targetPath);

    const wchar_t* WindowClassName() const override;
    void OnFinalMessage(HWND window) override;
    void OnSkinBuilt() override;
    const wchar_t* SkinFolder() const override;
    const wchar_t* SkinFile() const override;
    bool HandleDefaultKey(WPARAM key) override;
    int SkinSource() const override;
    const wchar_t* SkinArchiveFileName() const override;
    const wchar_t* SkinResourceId() const override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnClick(NotifyMsg& msg) override;
    const MessageTable* OwnMessageTable() const override;
    const NotifyMap* OwnNotifyMap() const override;

    // What the notification area was last told (the balloon text among it).
    const NOTIFYICONDATAW& TrayData() const { return trayData; }

    // A download offered by a signed feed: its rules decide too. Set before the window is created.
    void SetDownloadRules(std::shared_ptr<const DownloadRules> rules) { job.rules = std::move(rules); }
    // A settle earlier in this run (before a check) walked back an installation that had closed
    // the old program: it is started again should this window install nothing.
    void SetOldProgramClosed(bool closed) { oldProgramClosed = closed; }

private:
    // Where the window is in its life. Each step only moves forward; a message that belongs to
    // another step (a second outcome, a close during the install) is dropped or deferred.
    enum class Phase {
        Waiting,      // built, nothing started yet (that happens at the first paint)
        Settling,     // what an earlier run left beside the target is being settled
        Downloading,  // the worker runs; its outcome has not been handled
        Installing,   // the download succeeded; the installation's thread runs
        Closing,      // the outcome is handled (or the download abandoned); closing comes next
        HandedOver,   // another updater runs; this window only closes again
    };

    ~CUpdateWnd() override;

    LRESULT OnTrayMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnPaintMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void OnWindowInit(WPARAM wParam, LPARAM lParam);
    void OnTimer(WPARAM wParam, LPARAM lParam);
    void OnTrayNotify(WPARAM id, LPARAM event);
    void OnProgress(WPARAM value);
    void OnRecoveryFinished(WPARAM result, LPARAM restartDeferred);
    void OnDownloadFinished(DownloadOutcome outcome);
    void OnInstallStep(WPARAM stage);
    void OnInstallFinished(InstallResult result);
    // A program of the target did not close: ask the user to close it (update_window_prompt.cpp).
    void OnHostBusy();
    // The download's details again, once the installation goes on.
    void EndHostPrompt();
    // Retry or Cancel; false for any other control.
    bool AnswerHostPrompt(CControlUI* sender);
    // The outcome is handled: hide, give the single-instance guard up, close in three seconds.
    void EndWithOutcome();
    // After every painted WM_PAINT; the first one ends the start-up.
    void OnPainted();
    void OnAutoCloseTimer();
    void StartDownloadOnce();
    void StopDownload();
    void AddTrayIcon();
    void ShowFailureBalloon(TextId text);
    void RemoveTrayIcon();
    void PostClose();

    std::wstring targetPath;
    std::wstring downloadUrl;
    CProgressUI* progressBar = nullptr;
    CControlUI* percentLabel = nullptr;
    DownloadJob job;
    HICON trayIcon = nullptr;
    NOTIFYICONDATAW trayData;
    CSingleInst singleInstance;
    UniqueHandle worker;
    // A window that goes waits for an installation still at work.
    InstallThread installation;
    Phase phase = Phase::Waiting;
    bool trayAdded = false;  // the icon is in the notification area
    bool firstPaintDone = false;
    bool hostPromptShown = false;  // the user is asked to close a program of the target
    bool oldProgramClosed = false;
    // Ends a run that installs nothing: the failure balloon (`text`), and the old program started
    // again when an earlier run had closed it.
    void EndWithoutInstalling(TextId text);
};
