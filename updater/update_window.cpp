#include "updater/update_window.h"

#include <cwchar>
#include <utility>

#include "ui/draw/gdi_objects.h"
#include "updater/install.h"
#include "updater/paths.h"

namespace {

const wchar_t kTrayTip[] = L"程序更新中";
const wchar_t kFailureBalloon[] = L"下载错误，升级失败！";
constexpr int kIconResourceId = 107;

void CopyTruncated(wchar_t* field, size_t fieldChars, const wchar_t* text) {
    wcsncpy(field, text, fieldChars - 1);
    field[fieldChars - 1] = L'\0';
}

void FillRectColor(HDC dc, const RECT& rect, COLORREF color) {
    CGdiObject<HBRUSH> brush(CreateSolidBrush(color));
    FillRect(dc, &rect, brush.Get());
}

}  // namespace

CUpdateWnd::CUpdateWnd(std::wstring url, std::wstring target)
    : targetPath(std::move(target)), downloadUrl(std::move(url)), trayData() {
    trayData.cbSize = sizeof trayData;
}

CUpdateWnd::~CUpdateWnd() {
    RemoveTrayIcon();
    if (trayIcon != nullptr) DestroyIcon(trayIcon);
}

const wchar_t* CUpdateWnd::WindowClassName() const { return L"UIUpdateWnd"; }

void CUpdateWnd::OnFinalMessage(HWND) { delete this; }

LRESULT CUpdateWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreated(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_DOWNLOAD_PROGRESS: OnProgress(wParam); return 0;
    case WM_DOWNLOAD_FINISHED: OnDownloadFinished(wParam != 0); return 0;
    case WM_TIMER:
        if (wParam == TIMER_AUTO_CLOSE) OnAutoCloseTimer();
        return 0;
    case WM_TRAY_NOTIFY: OnTrayNotify(wParam, lParam); return 0;
    case WM_CLOSE:
        // This window was shown (and so activated) after the hand-over in WM_CREATE; give the
        // front back to the running updater before going.
        if (handedOver) singleInstance.BringOtherToFront();
        break;
    case WM_DESTROY: RemoveTrayIcon(); break;
    default: break;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void CUpdateWnd::OnCreated() {
    const HWND window = WindowHandle();
    // A second updater hands over to the first. The posted close is handled before the first
    // paint, so such a window never starts a download.
    if (!singleInstance.TryAcquire(window)) {
        handedOver = true;
        PostMessageW(window, WM_CLOSE, 2, 0);
    }
    trayIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResourceId),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    AddTrayIcon();
}

void CUpdateWnd::OnPaint() {
    const HWND window = WindowHandle();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRectColor(dc, client, RGB(0xF4, 0xF6, 0xF9));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring fileLine = L"当前文件：" + FileNameOf(targetPath);
    wchar_t progressLine[64];
    std::swprintf(progressLine, 64, L"下载进度：%d%%", percent);
    RECT line1 = {12, 16, client.right - 12, 36};
    RECT line2 = {12, 44, client.right - 12, 64};
    DrawTextW(dc, fileLine.c_str(), -1, &line1, DT_SINGLELINE | DT_END_ELLIPSIS);
    DrawTextW(dc, progressLine, -1, &line2, DT_SINGLELINE);
    RECT bar = {12, 76, client.right - 12, 88};
    FillRectColor(dc, bar, RGB(0xD8, 0xDC, 0xE2));
    bar.right = bar.left + (bar.right - bar.left) * percent / 100;
    FillRectColor(dc, bar, RGB(0x1E, 0x90, 0xFF));
    EndPaint(window, &ps);

    if (!downloadStarted) {
        downloadStarted = true;
        // Without a worker no outcome would ever come, and the window would wait at 0% for good.
        if (!StartDownload(window, downloadUrl, targetPath, job)) OnDownloadFinished(false);
    }
}

void CUpdateWnd::OnProgress(WPARAM value) {
    const HWND window = WindowHandle();
    if (value > 100) return;
    percent = static_cast<int>(value);
    InvalidateRect(window, nullptr, FALSE);
}

void CUpdateWnd::OnDownloadFinished(bool succeeded) {
    const HWND window = WindowHandle();
    if (succeeded) {
        InstallUpdate(std::move(job.file), targetPath);
    } else {
        ShowFailureBalloon();
    }
    ShowWindow(window, SW_HIDE);
    SetTimer(window, TIMER_AUTO_CLOSE, kAutoCloseDelayMs, nullptr);
}

void CUpdateWnd::OnAutoCloseTimer() {
    const HWND window = WindowHandle();
    KillTimer(window, TIMER_AUTO_CLOSE);
    RemoveTrayIcon();
    PostMessageW(window, WM_CLOSE, 1, 0);
}

void CUpdateWnd::OnTrayNotify(WPARAM id, LPARAM event) {
    const HWND window = WindowHandle();
    if (id != TRAY_ICON_ID || event != WM_LBUTTONDBLCLK || window == nullptr) return;
    if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
    }
}

void CUpdateWnd::AddTrayIcon() {
    const HWND window = WindowHandle();
    trayData.hWnd = window;
    trayData.uID = TRAY_ICON_ID;
    trayData.uCallbackMessage = WM_TRAY_NOTIFY;
    trayData.hIcon = trayIcon;
    trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyTruncated(trayData.szTip, sizeof trayData.szTip / sizeof trayData.szTip[0], kTrayTip);
    trayAdded = Shell_NotifyIconW(NIM_ADD, &trayData) != FALSE;
}

void CUpdateWnd::ShowFailureBalloon() {
    trayData.uFlags |= NIF_INFO;
    trayData.hIcon = trayIcon;
    CopyTruncated(trayData.szInfo, sizeof trayData.szInfo / sizeof trayData.szInfo[0], kFailureBalloon);
    Shell_NotifyIconW(NIM_MODIFY, &trayData);
}

// The icon goes with the window on every close path, so no dead icon lingers in the tray.
void CUpdateWnd::RemoveTrayIcon() {
    if (!trayAdded) return;
    Shell_NotifyIconW(NIM_DELETE, &trayData);
    trayAdded = false;
}
