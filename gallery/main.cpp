// gallery.exe: the gallery skin in a window of its own, to look at every control the framework
// has in a real window (the demo takes its screenshot).

#include <objbase.h>
#include <windows.h>

#include "gallery/gallery_skin.h"
#include "ui/core/window_wnd.h"

namespace {

class CGalleryWnd final : public CWindowWnd {
public:
    const wchar_t* WindowClassName() const override { return L"UIGalleryWnd"; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) {
            m_host.AttachWindow(WindowHandle());
            if (!m_host.AttachRoot(BuildGallerySkin(m_host))) {
                return -1;
            }
        }
        LRESULT result = 0;
        if (message != WM_CREATE && m_host.ProcessMessage(message, wParam, lParam, result)) {
            return result;
        }
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }

private:
    CWindowHostUI m_host;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CWindowHostUI::SetModuleInstance(instance);
    UseGalleryFolder();
    if (FAILED(CoInitialize(nullptr))) {
        return 1;
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    RECT frame = {0, 0, kGalleryWidth, kGalleryHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    CGalleryWnd window;
    int code = 1;
    if (window.Create(nullptr, L"Control gallery", style, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                      frame.right - frame.left, frame.bottom - frame.top)) {
        window.CenterWindow();
        window.ShowModal();
        code = 0;
    }
    CoUninitialize();
    return code;
}
