// The updater's entry point: a host application starts it with the URL of a new version of one
// of its program files and the full path of the file it replaces.

#include <windows.h>
#include <objbase.h>

#include <new>

#include "ui/core/window_host.h"
#include "updater/command_line.h"
#include "updater/delivery/trusted_roots_preload.h"
#include "updater/install/recovery.h"
#include "updater/update_log.h"
#include "updater/delivery/url_text.h"
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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    UpdateRequest request;
    if (!ParseCommandLine(GetCommandLineW(), request)) return 0;
    if (request.recover) return RecoverOnly(request.targetPath);
    // Overlaps the window's creation; the first certificate check waits for it.
    StartTrustedRootsPreload(request.url);
    LogLine("start: url \"%s\", target \"%s\"", Utf8(UrlForLog(request.url)).c_str(), Utf8(request.targetPath).c_str());

    CWindowHostUI::SetModuleInstance(instance);
    CWindowHostUI::SetResourceFolder(CWindowHostUI::ExecutableFolder());
    if (FAILED(CoInitialize(nullptr))) return 0;

    auto* updateWindow = new (std::nothrow) CUpdateWnd(request.url, request.targetPath);
    if (updateWindow == nullptr) {
        CoUninitialize();
        return 0;
    }
    // From here the window object owns itself: it is deleted once its native window is gone,
    // so after ShowModal it must not be touched. A window that could not be created is simply
    // not shown, and the loop returns at once. The skin gives the window its size and removes
    // the caption again; the caption bits here only give the window its system menu behaviour.
    const DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                        WS_MINIMIZEBOX;
    if (updateWindow->Create(nullptr, L"在线升级", style, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE) != nullptr) {
        updateWindow->CenterWindow();
        updateWindow->ShowModal();
    }
    CoUninitialize();
    return 1;
}
