#pragma once
// CUpdaterSkinWindow: what the updater's question and waiting windows share: a skin from the
// "ZIPRES" archive updater.exe carries (the same as the update window's), and a title band that
// drags the window while its buttons stay buttons.

#include <windows.h>

#include "ui/core/window_impl_base.h"

class CUpdaterSkinWindow : public WindowImplBase {
public:
    const wchar_t* SkinFolder() const override;
    int SkinSource() const override;
    const wchar_t* SkinResourceId() const override;
    LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
};
