#pragma once
// CUpdateWnd: the updater's only window. It shows the file being fetched and the progress, keeps
// an icon in the notification area, starts the download when first painted, installs the result
// or reports the failure, and closes itself three seconds after the download ends.
//
// This is the plain native version of the window; the skinned window of the UI framework takes
// its place once the framework can build it.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ui/core/window_wnd.h"
#include "updater/download.h"
#include "updater/single_instance.h"

constexpr UINT WM_TRAY_NOTIFY = 2037;
constexpr UINT TRAY_ICON_ID = 128;
constexpr UINT_PTR TIMER_AUTO_CLOSE = 510;
constexpr UINT kAutoCloseDelayMs = 3000;

// Allocated with new; deletes itself once its native window is destroyed.
class CUpdateWnd final : public CWindowWnd {
public:
    CUpdateWnd(std::wstring url, std::wstring targetPath);

    const wchar_t* WindowClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;

private:
    ~CUpdateWnd();

    void OnCreated();
    void OnPaint();
    void OnProgress(WPARAM percent);
    void OnDownloadFinished(bool succeeded);
    void OnAutoCloseTimer();
    void OnTrayNotify(WPARAM id, LPARAM event);

    void AddTrayIcon();
    void ShowFailureBalloon();
    void RemoveTrayIcon();

    std::wstring targetPath;
    std::wstring downloadUrl;
    DownloadJob job;
    HICON trayIcon = nullptr;
    NOTIFYICONDATAW trayData;
    bool trayAdded = false;
    bool downloadStarted = false;
    bool handedOver = false;  // another updater runs; this window only closes again
    int percent = 0;
    CSingleInst singleInstance;
};
