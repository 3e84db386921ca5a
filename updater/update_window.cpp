// CUpdateWnd: the window's life: skin built, download started, progress shown, outcome handled,
// closed three seconds later.

#include "updater/update_window.h"

#include <cwchar>
#include <iterator>
#include <utility>

#include "ui/controls/progress.h"
#include "ui/core/window_dpi.h"
#include "updater/delivery/download_file.h"
#include "updater/failure_text.h"
#include "updater/first_paint.h"
#include "updater/install/program_start.h"
#include "updater/install/recovery.h"
#include "updater/paths.h"
#include "updater/responsive_wait.h"
#include "updater/skin_texts.h"
#include "updater/test_hooks.h"
#include "updater/update_log.h"

namespace {

// The title while the installation runs, one per InstallStage.
const TextId kStepTitles[] = {TextId::StepPreparing, TextId::StepBackingUp, TextId::StepClosing,
                              TextId::StepReplacing, TextId::StepStarting,  TextId::StepFinishing};

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

// The tables live in the member functions, where the private handlers can be named.
const WindowImplBase::MessageTable* CUpdateWnd::OwnMessageTable() const {
    static const MessageHandlerEntry kEntries[] = {
        {WM_TRAY_NOTIFY, AsWindowHandler(&CUpdateWnd::OnTrayMessage)},
        {WM_PAINT, AsWindowHandler(&CUpdateWnd::OnPaintMessage)},
        {0, nullptr},
    };
    static const MessageTable kTable = {&WindowImplBase::ClassMessageTable, kEntries};
    return &kTable;
}

// "click" is the base map's entry; it reaches OnClick below.
const NotifyMap* CUpdateWnd::OwnNotifyMap() const {
    static const NotifyMapEntry kEntries[] = {
        {L"windowinit", L"", NotifyHandlerParams, AsParamsHandler(&CUpdateWnd::OnWindowInit), nullptr},
        {L"timer", L"", NotifyHandlerParams, AsParamsHandler(&CUpdateWnd::OnTimer), nullptr},
        {L"", L"", NotifyHandlerEnd, nullptr, nullptr},
    };
    static const NotifyMap kMap = {&WindowImplBase::ClassNotifyMap, kEntries};
    return &kMap;
}

LRESULT CUpdateWnd::OnTrayMessage(UINT, WPARAM wParam, LPARAM lParam, bool&) {
    OnTrayNotify(wParam, lParam);
    return 0;
}

// The host paints; the window then learns that its first complete picture is on the screen.
LRESULT CUpdateWnd::OnPaintMessage(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
    LRESULT result = 0;
    host.ProcessMessage(message, wParam, lParam, result);
    OnPainted();
    return result;
}

void CUpdateWnd::OnSkinBuilt() {
    const HWND window = WindowHandle();
    // The posted close is handled before the first paint, so a second updater never starts a
    // download.
    if (!singleInstance.TryAcquire(window) && window != nullptr) {
        phase = Phase::HandedOver;
        PostMessageW(window, WM_CLOSE, 2, 0);
    }
    ApplySkinTexts(host, {{L"down_dlg_title", TextId::DownloadTitle},
                          {L"down_current_caption", TextId::CurrentFileCaption},
                          {L"down_progress_caption", TextId::ProgressCaption},
                          {L"down_taskbar_button", TextId::HideToTray}});
    // Only a real progress bar is driven: another skin may give the name to another class.
    CControlUI* bar = host.FindControlByName(L"down_progress");
    progressBar = bar ? static_cast<CProgressUI*>(bar->CastTo(L"Progress")) : nullptr;
    if (CControlUI* name = host.FindControlByName(L"down_current_name")) {
        name->SetText(FileNameOf(targetPath).c_str());
    }
    percentLabel = host.FindControlByName(L"down_progress_percent");
    if (percentLabel) percentLabel->SetText(L"0%");
    // The notification-area icon follows the first paint (OnPainted): the window is what the
    // user waits for, and adding the icon is a round trip to the shell.
}

void CUpdateWnd::OnPainted() {
    if (firstPaintDone) return;
    firstPaintDone = true;
    SignalFirstPaint();
    // The icon belongs to the one running updater; a second one only closes again.
    if (phase != Phase::HandedOver) AddTrayIcon();
}

void CUpdateWnd::OnWindowInit(WPARAM, LPARAM) {
    StartDownloadOnce();
}

void CUpdateWnd::OnTimer(WPARAM timerId, LPARAM) {
    if (timerId == TIMER_AUTO_CLOSE) OnAutoCloseTimer();
}

// Replaces the base's caption buttons: only these two names act, compared without case.
void CUpdateWnd::OnClick(NotifyMsg& msg) {
    if (IsNamed(msg.sender, L"closebtn")) {
        RemoveTrayIcon();
        PostClose();
    } else if (IsNamed(msg.sender, L"down_taskbar_button")) {
        ShowWindow(WindowHandle(), SW_HIDE);
    } else {
        AnswerHostPrompt(msg.sender);
    }
}

void CUpdateWnd::StartDownloadOnce() {
    if (phase != Phase::Waiting) return;
    phase = Phase::Settling;
    // What an interrupted run left beside the target is settled before anything is downloaded.
    if (!installation.StartRecovery(WindowHandle(), targetPath))
        OnRecoveryFinished(static_cast<WPARAM>(RecoveryResult::Pending), 0);
}

void CUpdateWnd::OnRecoveryFinished(WPARAM result, LPARAM restartDeferred) {
    if (phase != Phase::Settling) return;
    oldProgramClosed = oldProgramClosed || restartDeferred != 0;
    // An installation that cannot be settled would refuse this one: nothing is downloaded for it.
    const auto settled = static_cast<RecoveryResult>(result);
    if (settled != RecoveryResult::NothingLeft && settled != RecoveryResult::Settled) {
        LogLine("window: an earlier installation of the target is not settled, nothing downloaded");
        phase = Phase::Closing;
        EndWithoutInstalling(TextId::InstallImpossible);
        return;
    }
    phase = Phase::Downloading;
    // Without a worker no outcome would ever come, and the window would wait at 0% for good.
    if (!StartDownload(WindowHandle(), downloadUrl, targetPath, job, &worker)) OnDownloadFinished(DownloadOutcome::Failed);
}

// Windows hands the worker's messages over in order: progress still queued behind the outcome
// updates the hidden window's bar, which is harmless.
LRESULT CUpdateWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == WM_DOWNLOAD_PROGRESS) {
        OnProgress(wParam);
    } else if (message == WM_DOWNLOAD_FINISHED) {
        OnDownloadFinished(static_cast<DownloadOutcome>(wParam));
    } else if (message == WM_RECOVERY_FINISHED) {
        OnRecoveryFinished(wParam, lParam);
    } else if (message == WM_INSTALL_STEP) {
        OnInstallStep(wParam);
    } else if (message == WM_INSTALL_HOST_BUSY) {
        OnHostBusy();
    } else if (message == WM_INSTALL_FINISHED) {
        OnInstallFinished(static_cast<InstallResult>(wParam));
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
void CUpdateWnd::OnDownloadFinished(DownloadOutcome outcome) {
    if (phase != Phase::Downloading) return;
    if (outcome == DownloadOutcome::Succeeded) {
        phase = Phase::Installing;
        if (installation.StartInstall(WindowHandle(), std::move(job.file), targetPath, oldProgramClosed)) return;
        LogLine("window: no thread for the installation, nothing installed");
        outcome = DownloadOutcome::Failed;
    }
    EndWithoutInstalling(DownloadFailureText(outcome));
}

void CUpdateWnd::EndWithoutInstalling(TextId text) {
    // Not waited for: no watch, and a copy that already runs is not started again.
    if (oldProgramClosed) StartProgram(targetPath, false);
    ShowFailureBalloon(text);
    EndWithOutcome();
}

void CUpdateWnd::OnInstallStep(WPARAM stage) {
    EndHostPrompt();
    CControlUI* title = host.FindControlByName(L"down_dlg_title");
    if (phase == Phase::Installing && title != nullptr && stage < std::size(kStepTitles)) {
        title->SetText(UiText(kStepTitles[stage]));
    }
}

void CUpdateWnd::OnInstallFinished(InstallResult result) {
    if (phase != Phase::Installing) return;
    EndHostPrompt();
    if (result == InstallResult::Installed && job.rules) job.rules->Installed();
    // A first installation (no target yet) is no failure: there was nothing to update; nor is the
    // user's choice to keep the old program running.
    if (result == InstallResult::Cancelled) {
        LogLine("window: the user cancelled the update, the old program keeps running");
    } else if (result != InstallResult::Installed && result != InstallResult::NoTarget) {
        ShowFailureBalloon(InstallFailureText(result));
    }
    EndWithOutcome();
}

void CUpdateWnd::EndWithOutcome() {
    phase = Phase::Closing;
    const HWND window = WindowHandle();
    if (window != nullptr) ShowWindow(window, SW_HIDE);
    // The outcome is handled: an update asked for from now on must run, not be handed to this
    // closing window.
    singleInstance.Release();
    if (CControlUI* carrier = host.FindControlByName(L"downloadbg")) {
        host.StartTimer(carrier, TIMER_AUTO_CLOSE, TestShortenedMs(kTestCloseDelayVariable, kAutoCloseDelayMs));
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
    // An installation is never left halfway: the user's close only hides the window, and the
    // outcome closes it as always (with the balloon, should the installation fail).
    if (phase == Phase::Installing) {
        // Closing the window while it asks is the user's Cancel: nobody would be left to answer.
        if (hostPromptShown) installation.AnswerHostPrompt(HostWait::Cancel);
        ShowWindow(WindowHandle(), SW_HIDE);
        return 0;
    }
    // This window was shown (and so activated) after the hand-over; give the front back to the
    // running updater before going.
    if (phase == Phase::HandedOver) singleInstance.BringOtherToFront();
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
    if (phase == Phase::Downloading) {
        phase = Phase::Closing;  // an outcome sent while we wait is dropped
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
    if (trayAdded) return;
    if (trayIcon == nullptr) {
        // The notification area shows small icons, at the DPI of the window's display.
        trayIcon = static_cast<HICON>(LoadImageW(CWindowHostUI::ModuleInstance(), MAKEINTRESOURCEW(IDI_UPDATER),
                                                 IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, host.Dpi()),
                                                 SystemMetricForDpi(SM_CYSMICON, host.Dpi()), LR_DEFAULTCOLOR));
    }
    trayData.hWnd = WindowHandle();
    trayData.uID = TRAY_ICON_ID;
    trayData.uCallbackMessage = WM_TRAY_NOTIFY;
    trayData.hIcon = trayIcon;
    trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CopyTruncated(trayData.szTip, UiText(TextId::UpdatingTip));
    Shell_NotifyIconW(NIM_ADD, &trayData);
    trayAdded = true;
}

void CUpdateWnd::ShowFailureBalloon(TextId which) {
    const wchar_t* text = UiText(which);
    LogLine("window: failure balloon shown (\"%s\")", Utf8(text).c_str());
    AddTrayIcon();  // an outcome during the first paint comes before the icon
    trayData.uFlags |= NIF_INFO;
    trayData.hIcon = trayIcon;
    CopyTruncated(trayData.szInfo, text);
    Shell_NotifyIconW(NIM_MODIFY, &trayData);
    // A screen reader says what the balloon shows.
    Host().Accessibility().RaiseAlert(text);
}

// The icon goes with the window on every close path, so no dead icon lingers in the tray.
void CUpdateWnd::RemoveTrayIcon() {
    if (!trayAdded) return;
    Shell_NotifyIconW(NIM_DELETE, &trayData);
    trayAdded = false;
}
