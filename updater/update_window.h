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

#include "updater/download.h"
#include "updater/single_instance.h"

constexpr UINT WM_TRAY_NOTIFY = 2037;
constexpr UINT TRAY_ICON_ID = 128;
constexpr UINT_PTR TIMER_AUTO_CLOSE = 510;
constexpr UINT kAutoCloseDelayMs = 3000;

class CUpdateWnd {
public:
    CUpdateWnd(std::wstring url, std::wstring targetPath);
    ~CUpdateWnd();
    CUpdateWnd(const CUpdateWnd&) = delete;
    CUpdateWnd& operator=(const CUpdateWnd&) = delete;

    // Creates the native window; the object deletes itself once that window is destroyed.
    HWND Create(HINSTANCE instance);
    void CenterOnWorkArea();
    // Pumps messages until the window is gone; returns the wParam of the last WM_CLOSE.
    static int RunMessageLoop(HWND window);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

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
    HWND window = nullptr;
    HICON trayIcon = nullptr;
    NOTIFYICONDATAW trayData;
    bool trayAdded = false;
    bool downloadStarted = false;
    int percent = 0;
    CSingleInst singleInstance;
};
