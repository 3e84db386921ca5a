// WindowImplBase: building the window from its skin when the native window is created.

#include "ui/core/window_impl_base.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "ui/controls/control.h"

namespace {

const wchar_t kArchiveResourceType[] = L"ZIPRES";
const wchar_t kXmlResourceType[] = L"xml";

// The archive copy stays allocated until the process ends: the shared skin archive reads from
// it for as long as any window lives. A later window built from the same resource reuses it
// instead of leaking another copy.
const void* ProcessCopyOf(const void* resource, DWORD size) {
    static const void* copiedResource = nullptr;
    static void* copy = nullptr;
    if (copy && copiedResource == resource) {
        return copy;
    }
    void* buffer = new (std::nothrow) unsigned char[size];
    if (!buffer) {
        return nullptr;
    }
    std::memcpy(buffer, resource, size);
    copiedResource = resource;
    copy = buffer;
    return copy;
}

}  // namespace

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&) {
    const HWND window = WindowHandle();
    ::SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(WindowStyle() | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    RECT client;
    ::GetClientRect(window, &client);
    ::SetWindowPos(window, nullptr, client.left, client.top, client.right - client.left,
                   client.bottom - client.top, SWP_FRAMECHANGED);

    host.AttachWindow(window);
    host.AddPreFilter(this);
    if (CWindowHostUI::ResourceFolder().IsEmpty()) {
        CWindowHostUI::SetResourceFolder(CWindowHostUI::ExecutableFolder() + SkinFolder());
    }
    if (SkinSource() == SkinFromArchiveFile) {
        CWindowHostUI::UseSkinArchiveFile(SkinArchiveFileName());
    } else if (SkinSource() == SkinFromArchiveResource && !LoadSkinArchiveResource()) {
        return 0;  // no archive: the window stays empty, without a message
    }

    CControlUI* root = BuildSkin();
    if (!root) {
        ShowSkinFailureAndExit();
        return 0;
    }
    host.AttachRoot(root);
    host.AddNotifyListener(this);
    OnSkinBuilt();
    return 0;
}

bool WindowImplBase::LoadSkinArchiveResource() {
    const HMODULE module = CWindowHostUI::ResourceModule();
    const HRSRC found = ::FindResourceW(module, SkinResourceId(), kArchiveResourceType);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const DWORD size = found ? ::SizeofResource(module, found) : 0;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0) {
        return false;
    }
    const void* copy = ProcessCopyOf(bytes, size);
    if (!copy) {
        return false;
    }
    CWindowHostUI::UseSkinArchiveMemory(copy, size);
    return true;
}

CControlUI* WindowImplBase::BuildSkin() {
    CSkinBuilder builder;
    if (SkinSource() == SkinFromXmlResource) {
        const WORD id = static_cast<WORD>(std::wcstol(SkinFile(), nullptr, 10));
        return builder.Build(MAKEINTRESOURCEW(id), kXmlResourceType, this, &host, nullptr);
    }
    return builder.Build(SkinFile(), nullptr, this, &host, nullptr);
}

void WindowImplBase::ShowSkinFailureAndExit() {
    ::MessageBoxW(nullptr, kSkinFailureText, kSkinFailureCaption, MB_ICONERROR);
    ::ExitProcess(kSkinFailureExitCode);
}
