#pragma once
// CUpdateWnd: the updater's only window, built from the skin "downdlg.xml" in the program's
// "ZIPRES" resource 129. It shows the file being fetched and the progress, keeps an icon in
// the notification area, starts the download when first painted, installs the result or reports
// the failure, and closes itself three seconds after the download ends.

#include <windows.h>
// The notification-area records need the Windows types first.
#include <shellapi.h>

#include <string>

#include "ui/core/window_impl_base.h"
#include "updater/download.h"
#include "updater/single_instance.h"
#include "updater/win_handles.h"

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
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
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
    void HandleNotification(NotifyMsg& msg) override;

    // What the notification area was last told (the balloon text among it).
    const NOTIFYICONDATAW& TrayData() const { return trayData; }

private:
    ~CUpdateWnd() override;

    void OnTrayNotify(WPARAM id, LPARAM event);
    void OnProgress(WPARAM value);
    void OnDownloadFinished(bool succeeded);
    // After every painted WM_PAINT; the first one ends the start-up.
    void OnPainted();
    void OnAutoCloseTimer();
    void StartDownloadOnce();
    void StopDownload();
    void AddTrayIcon();
    void ShowFailureBalloon();
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
    bool trayAdded = false;
    bool downloadStarted = false;
    bool outcomeHandled = false;  // the install (or the balloon) runs once
    bool installing = false;      // a close now would destroy the window under the install
    bool handedOver = false;      // another updater runs; this window only closes again
    bool firstPaintDone = false;
};
