// The updater's entry point. A host application starts it with the URL of a new version of one
// of its program files and the full path of the file it replaces, or with --check to ask the
// vendor's signed feed whether there is a newer version (see command_line.h).

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "ui/core/window_host.h"
#include "updater/check/feed_check.h"
#include "updater/command_line.h"
#include "updater/delivery/trusted_roots_preload.h"
#include "updater/delivery/url_text.h"
#include "updater/install/program_start.h"
#include "updater/install/recovery.h"
#include "updater/paths.h"
#include "updater/ui_texts.h"
#include "updater/update_log.h"
#include "updater/update_window.h"

namespace {

// The logon entry's run: finish what an earlier installation could not, without a window. The
// failure was reported when it happened.
int RecoverOnly(const std::wstring& targetPath) {
    LogLine("start: recovery of \"%s\"", Utf8(targetPath).c_str());
    // The old program is started through the shell, which wants an apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    RecoverInterruptedInstall(targetPath);
    if (SUCCEEDED(com)) CoUninitialize();
    return 1;
}

// The update window for `url` over `targetPath`, shown until it is done. From its creation the
// window object owns itself: it is deleted once its native window is gone, so after ShowModal it
// must not be touched. A window that could not be created is simply not shown, and the loop
// returns at once. The skin gives the window its size and removes the caption again; the caption
// bits here only give the window its system menu behaviour.
void RunUpdateWindow(const std::wstring& url, const std::wstring& targetPath,
                     std::shared_ptr<const DownloadRules> rules, bool oldProgramClosed = false) {
    auto* updateWindow = new (std::nothrow) CUpdateWnd(url, targetPath);
    if (updateWindow == nullptr) return;
    updateWindow->SetDownloadRules(std::move(rules));
    updateWindow->SetOldProgramClosed(oldProgramClosed);
    const DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                        WS_MINIMIZEBOX;
    if (updateWindow->Create(nullptr, UiText(TextId::UpdateWindowTitle), style, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE) != nullptr) {
        updateWindow->CenterWindow();
        updateWindow->ShowModal();
    }
}

void PrepareFramework(HINSTANCE instance) {
    CWindowHostUI::SetModuleInstance(instance);
    CWindowHostUI::SetResourceFolder(CWindowHostUI::ExecutableFolder());
}

int RunUpdate(HINSTANCE instance, const UpdateRequest& request) {
    // Overlaps the window's creation; the first certificate check waits for it.
    StartTrustedRootsPreload(request.url);
    LogLine("start: url \"%s\", target \"%s\"", Utf8(UrlForLog(request.url)).c_str(), Utf8(request.targetPath).c_str());
    PrepareFramework(instance);
    if (FAILED(CoInitialize(nullptr))) return 0;
    RunUpdateWindow(request.url, request.targetPath, nullptr);
    CoUninitialize();
    return 1;
}

// What an interrupted installation of the program left is settled before the check reads the
// program. A settle that had to close the program again starts it only if nothing is installed.
bool SettleBeforeCheck(const std::wstring& programPath, bool& oldProgramClosed) {
    const RecoveryResult settled = RecoverInterruptedInstall(programPath, {}, &oldProgramClosed);
    if (settled == RecoveryResult::NothingLeft || settled == RecoveryResult::Settled) return true;
    LogLine("check: FAILED, an earlier installation of \"%s\" is not settled", Utf8(programPath).c_str());
    return false;
}

int RunCheck(HINSTANCE instance, const CheckRequest& request) {
    // The feed is fetched over https: the roots load while the installed program is read.
    StartTrustedRootsPreload(request.feedUrl);
    PrepareFramework(instance);
    if (FAILED(CoInitialize(nullptr))) return kCheckFailed;
    bool oldProgramClosed = false;
    if (!SettleBeforeCheck(request.programPath, oldProgramClosed)) {
        CoUninitialize();
        return kCheckFailed;
    }
    const CheckResult result = RunFeedCheck(request);
    if (result.Install()) {
        LogLine("start: url \"%s\", target \"%s\" (offered by the feed)", Utf8(UrlForLog(result.enclosureUrl)).c_str(),
                Utf8(request.programPath).c_str());
        RunUpdateWindow(result.enclosureUrl, request.programPath, result.rules, oldProgramClosed);
    } else if (oldProgramClosed) {
        StartProgram(request.programPath, false);
    }
    CoUninitialize();
    return result.exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    UpdateRequest update;
    CheckRequest check;
    std::string problem;
    std::optional<Language> language;
    const CommandKind kind = ParseAnyCommandLine(GetCommandLineW(), update, check, problem, &language);
    if (language) SetLanguage(*language);
    switch (kind) {
        case CommandKind::Update:
            // The logon entry runs from another folder: a relative target would name another file.
            if (!IsFullPath(update.targetPath)) {
                LogLine("start: refused, the target \"%s\" is not a full path", Utf8(update.targetPath).c_str());
                return 0;
            }
            return update.recover ? RecoverOnly(update.targetPath) : RunUpdate(instance, update);
        case CommandKind::Check:
            return RunCheck(instance, check);
        case CommandKind::MalformedCheck:
            LogLine("check: FAILED, malformed command line (%s)", problem.c_str());
            return kCheckFailed;
        case CommandKind::Ignored:
            break;
    }
    return 0;
}
