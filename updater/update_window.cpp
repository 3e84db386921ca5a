// CUpdateWnd: the window's life: skin built, download started, progress shown, outcome handled,
// closed three seconds later.

#include "updater/update_window.h"

#include <cwchar>
#include <utility>

#include "ui/controls/progress.h"
#include "ui/core/window_dpi.h"
#include "updater/download_file.h"
#include "updater/install.h"
#include "updater/paths.h"
#include "updater/responsive_wait.h"

namespace {

const wchar_t kTrayTip[] = L"程序更新中";
const wchar_t kFailureBalloon[] = L"下载错误，升级失败！";

template <size_t N>
void CopyTruncated(wchar_t (&field)[N], const wchar_t* text) {
    wcsncpy(field, text, N - 1);
    field[N - 1] = L'\0';
}

bool IsNamed(const CControlUI* control, const wchar_t* name) {
    return control && control->Name().CompareNoCase(name) == 0;
}

}  // namespace

CUpdateWnd::CUpdateWnd(std::wstring url, std::wstring target)
    : targetPath(std::move(target)), downloadUrl(std::move(url)), trayData() {
    trayData.cbSize = sizeof trayData;
}

CUpdateWnd::~CUpdateWnd() {
    StopDownload();
    RemoveTrayIcon();
    if (trayIcon != nullptr) DestroyIcon(trayIcon);
}

const wchar_t* CUpdateWnd::WindowClassName() const {
    return L"UIUpdateWnd";
}
const wchar_t* CUpdateWnd::SkinFolder() const {
    return L"";
}
const wchar_t* CUpdateWnd::SkinFile() const {
    return L"downdlg.xml";
}
bool CUpdateWnd::HandleDefaultKey(WPARAM) {
    return false;
}
int CUpdateWnd::SkinSource() const {
    return SkinFromArchiveResource;
}
const wchar_t* CUpdateWnd::SkinArchiveFileName() const {
    return L"";
}
const wchar_t* CUpdateWnd::SkinResourceId() const {
    return MAKEINTRESOURCEW(IDR_SKIN_ZIP);
}

void CUpdateWnd::OnFinalMessage(HWND window) {
    WindowImplBase::OnFinalMessage(window);
    delete this;
}

LRESULT CUpdateWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageHandlerEntry kOwnTable[] = {
        {WM_CREATE, &WindowImplBase::OnCreate},
        {WM_DESTROY, &WindowImplBase::OnDestroy},
        {WM_SIZE, &WindowImplBase::OnSize},
        {WM_CLOSE, &WindowImplBase::OnClose},
        {WM_GETMINMAXINFO, &WindowImplBase::OnGetMinMaxInfo},
        {WM_NCACTIVATE, &WindowImplBase::OnNcActivate},
        {WM_NCCALCSIZE, &WindowImplBase::OnNcCalcSize},
        {WM_NCPAINT, &WindowImplBase::OnNcPaint},
        {WM_NCHITTEST, &WindowImplBase::OnNcHitTest},
        {WM_SYSCOMMAND, &WindowImplBase::OnSysCommand},
        {WM_MOUSEWHEEL, &WindowImplBase::OnMouseWheel},
        {0, nullptr},
    };
    if (message == WM_TRAY_NOTIFY) {
        OnTrayNotify(wParam, lParam);
        return 0;
    }
    bool handled = true;
    LRESULT result = 0;
    if (MessageHandler handler = FindHandler(kOwnTable, message)) {
        result = (this->*handler)(message, wParam, lParam, handled);
        if (handled) return result;
    }
    if (host.ProcessMessage(message, wParam, lParam, result)) return result;
    // The host has seen the message once; the base dispatcher must not hand it over again, or
    // every key, character, click and control timer would reach the controls twice.
    return Dispatch(message, wParam, lParam, true);
}

void CUpdateWnd::OnSkinBuilt() {
    const HWND window = WindowHandle();
    // The posted close is handled before the first paint, so a second updater never starts a
    // download.
    if (!singleInstance.TryAcquire(window) && window != nullptr) {
        handedOver = true;
        PostMessageW(window, WM_CLOSE, 2, 0);
    }
    // Only a real progress bar is driven: another skin may give the name to another class.
    CControlUI* bar = host.FindControlByName(L"down_progress");
    progressBar = bar ? static_cast<CProgressUI*>(bar->CastTo(L"Progress")) : nullptr;
    if (CControlUI* name = host.FindControlByName(L"down_current_name")) {
        name->SetText(FileNameOf(targetPath).c_str());
    }
    percentLabel = host.FindControlByName(L"down_progress_percent");
    if (percentLabel) percentLabel->SetText(L"0%");
    // The notification area shows small icons, at the DPI of the window's display.
    trayIcon = static_cast<HICON>(LoadImageW(CWindowHostUI::ModuleInstance(), MAKEINTRESOURCEW(IDI_UPDATER),
                                             IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, host.Dpi()),
                                             SystemMetricForDpi(SM_CYSMICON, host.Dpi()), LR_DEFAULTCOLOR));
    AddTrayIcon();
}

void CUpdateWnd::HandleNotification(NotifyMsg& msg) {
    if (msg.type.CompareNoCase(L"windowinit") == 0) {
        StartDownloadOnce();
    } else if (msg.type.CompareNoCase(L"click") == 0) {
        if (IsNamed(msg.sender, L"closebtn")) {
            RemoveTrayIcon();
            PostClose();
        } else if (IsNamed(msg.sender, L"down_taskbar_button")) {
            ShowWindow(WindowHandle(), SW_HIDE);
        }
    } else if (msg.type.CompareNoCase(L"timer") == 0 && msg.wParam == TIMER_AUTO_CLOSE) {
        OnAutoCloseTimer();
    }
}

void CUpdateWnd::StartDownloadOnce() {
    if (downloadStarted || handedOver) return;
    downloadStarted = true;
    // Without a worker no outcome would ever come, and the window would wait at 0% for good.
    if (!StartDownload(WindowHandle(), downloadUrl, targetPath, job, &worker)) OnDownloadFinished(false);
}

// Windows hands the worker's messages over in order: progress still queued behind the outcome
// updates the hidden window's bar, which is harmless.
LRESULT CUpdateWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    if (message == WM_DOWNLOAD_PROGRESS) {
        OnProgress(wParam);
    } else if (message == WM_DOWNLOAD_FINISHED) {
        OnDownloadFinished(wParam != 0);
    }
    handled = false;
    return 0;
}

void CUpdateWnd::OnProgress(WPARAM value) {
    const int percent = static_cast<int>(value);
    if (progressBar == nullptr || percent < 0 || percent > 100) return;
    progressBar->SetValue(percent);
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"%d%%", percent);
    if (percentLabel) percentLabel->SetText(text);
}

// Runs once: a second outcome (forged, or sent while the first one installs) changes nothing.
void CUpdateWnd::OnDownloadFinished(bool succeeded) {
    if (outcomeHandled) return;
    outcomeHandled = true;
    if (succeeded) {
        InstallTimings timings;
        timings.wait = WaitWhilePainting;
        installing = true;
        InstallUpdate(std::move(job.file), targetPath, timings);
        installing = false;
    } else {
        ShowFailureBalloon();
    }
    const HWND window = WindowHandle();
    if (window != nullptr) ShowWindow(window, SW_HIDE);
    if (CControlUI* carrier = host.FindControlByName(L"downloadbg")) {
        host.StartTimer(carrier, TIMER_AUTO_CLOSE, kAutoCloseDelayMs);
    }
}

void CUpdateWnd::OnAutoCloseTimer() {
    if (CControlUI* carrier = host.FindControlByName(L"downloadbg")) {
        host.StopTimer(carrier, TIMER_AUTO_CLOSE);
    }
    RemoveTrayIcon();
    PostClose();
}

void CUpdateWnd::PostClose() {
    const HWND window = WindowHandle();
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 1, 0);
}

void CUpdateWnd::OnTrayNotify(WPARAM id, LPARAM event) {
    const HWND window = WindowHandle();
    if (id != TRAY_ICON_ID || event != WM_LBUTTONDBLCLK || window == nullptr) return;
    if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
    }
}

LRESULT CUpdateWnd::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    // A close sent while the install waits would destroy the window (and this object) under it;
    // the window closes by itself once the install is done.
    if (installing) return 0;
    // This window was shown (and so activated) after the hand-over; give the front back to the
    // running updater before going.
    if (handedOver) singleInstance.BringOtherToFront();
    handled = false;
    return 0;
}

// Every way out passes here: the icon goes with the window, and a download still running is
// stopped so that it neither writes on while the process ends nor installs anything.
LRESULT CUpdateWnd::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    RemoveTrayIcon();
    StopDownload();
    handled = false;
    return 0;
}

// A download still running when the window goes is abandoned: the transfer is cancelled, the
// worker is given a moment to end (it would otherwise be torn down inside libcurl when the
// process exits), and the partial file goes. A finished download's file stays as it is.
void CUpdateWnd::StopDownload() {
    if (!worker) return;
    if (!outcomeHandled) {
        outcomeHandled = true;  // an outcome sent while we wait is dropped
        if (job.cancelled) job.cancelled->store(true);
        // The worker may be blocked sending its outcome to this window: answer sent messages.
        WaitAnsweringSentMessages(worker.Get(), kWorkerStopTimeoutMs);
        if (job.file) DeleteWhenClosed(job.file.Get());
        job.file.Reset();
    }
    worker.Reset();
}

LRESULT CUpdateWnd::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    static const wchar_t* const kButtonClass[] = {L"ButtonUI"};
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(WindowHandle(), &pt);
    return IsCaptionPoint(pt, kButtonClass, 1, false) ? HTCAPTION : HTCLIENT;
}

LRESULT CUpdateWnd::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
    const SIZE corner = host.RoundCorner();
    if (!IsIconic(WindowHandle()) && (corner.cx != 0 || corner.cy != 0)) ApplyRoundRegion();
    handled = false;
    return 0;
}

LRESULT CUpdateWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
    return CallWindowProcW(PreviousProc(), WindowHandle(), message, wParam, lParam);
}

void CUpdateWnd::AddTrayIcon() {
    trayData.hWnd = WindowHandle();
    trayData.uID = TRAY_ICON_ID;
    trayData.uCallbackMessage = WM_TRAY_NOTIFY;
    trayData.hIcon = trayIcon;
    trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyTruncated(trayData.szTip, kTrayTip);
    Shell_NotifyIconW(NIM_ADD, &trayData);
    trayAdded = true;
}

void CUpdateWnd::ShowFailureBalloon() {
    trayData.uFlags |= NIF_INFO;
    trayData.hIcon = trayIcon;
    CopyTruncated(trayData.szInfo, kFailureBalloon);
    Shell_NotifyIconW(NIM_MODIFY, &trayData);
}

// The icon goes with the window on every close path, so no dead icon lingers in the tray.
void CUpdateWnd::RemoveTrayIcon() {
    if (!trayAdded) return;
    Shell_NotifyIconW(NIM_DELETE, &trayData);
    trayAdded = false;
}
