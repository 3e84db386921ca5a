// The updater's entry point: a host application starts it with the URL of a new version of one
// of its program files and the full path of the file it replaces.

#include <windows.h>
#include <objbase.h>

#include <new>

#include "ui/core/window_host.h"
#include "updater/command_line.h"
#include "updater/update_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    UpdateRequest request;
    if (!ParseCommandLine(GetCommandLineW(), request)) return 0;

    CWindowHostUI::SetModuleInstance(instance);
    CWindowHostUI::SetResourceFolder(CWindowHostUI::ExecutableFolder());
    if (FAILED(CoInitialize(nullptr))) return 0;

    auto* updateWindow = new (std::nothrow) CUpdateWnd(request.url, request.targetPath);
    if (updateWindow == nullptr) {
        CoUninitialize();
        return 0;
    }
    // The window owns itself from here on and is deleted when its native window is destroyed.
    HWND window = updateWindow->Create(instance);
    if (window == nullptr) delete updateWindow;
    else updateWindow->CenterOnWorkArea();
    CUpdateWnd::RunMessageLoop(window);
    CoUninitialize();
    return 1;
}
