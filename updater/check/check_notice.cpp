#include "updater/check/check_notice.h"

#include <shellapi.h>

#include <cwchar>

#include "ui/core/window_host.h"
#include "updater/ui_texts.h"
#include "updater/update_log.h"
#include "updater/update_window.h"

namespace {

const wchar_t kClassName[] = L"UIUpdateCheck";

ATOM RegisterNoticeClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass);
}

template <size_t N>
void CopyTruncated(wchar_t (&field)[N], const wchar_t* text) {
    wcsncpy(field, text, N - 1);
    field[N - 1] = L'\0';
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < ms; spent = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

}  // namespace

CheckNotice::CheckNotice() {
    const HINSTANCE instance = CWindowHostUI::ModuleInstance();
    RegisterNoticeClass(instance);  // a class already registered is fine
    window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr));
}

void CheckNotice::ShowBalloon(const wchar_t* text, DWORD ms) {
    LogLine("check: balloon \"%s\" shown", Utf8(text).c_str());
    if (!window_) return;
    if (!icon_) {
        icon_.Reset(static_cast<HICON>(LoadImageW(CWindowHostUI::ModuleInstance(), MAKEINTRESOURCEW(IDI_UPDATER),
                                                  IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    }
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = window_.Get();
    data.uID = TRAY_ICON_ID;
    data.uFlags = NIF_ICON | NIF_TIP | NIF_INFO;
    data.hIcon = icon_.Get();
    CopyTruncated(data.szTip, UiText(TextId::CheckTip));
    CopyTruncated(data.szInfo, text);
    if (!Shell_NotifyIconW(NIM_ADD, &data)) return;
    PumpFor(ms);
    Shell_NotifyIconW(NIM_DELETE, &data);
}
