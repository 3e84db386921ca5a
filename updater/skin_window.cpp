#include "updater/skin_window.h"

#include "updater/update_window.h"

const wchar_t* CUpdaterSkinWindow::SkinFolder() const {
    return L"";
}
int CUpdaterSkinWindow::SkinSource() const {
    return SkinFromArchiveResource;
}
const wchar_t* CUpdaterSkinWindow::SkinResourceId() const {
    return MAKEINTRESOURCEW(IDR_SKIN_ZIP);
}

LRESULT CUpdaterSkinWindow::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    static const wchar_t* const kButtonClass[] = {L"ButtonUI"};
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(WindowHandle(), &pt);
    return IsCaptionPoint(pt, kButtonClass, 1, false) ? HTCAPTION : HTCLIENT;
}
