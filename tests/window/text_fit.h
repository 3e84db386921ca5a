#pragma once
// How wide a text is in a label's own font at the window's scale, against the room the label
// gives it: a text in another language must fit where the skin puts it.

#include <windows.h>

#include <string>

#include "ui/controls/label.h"
#include "ui/core/window_host.h"
#include "ui/util/dpi_scale.h"

inline int TextWidthIn(CWindowHostUI& host, CLabelUI& label, const std::wstring& text) {
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, host.FontAt(label.Font()));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

// The width left for text: the label's own less its padding (scaled, the stricter reading).
inline int RoomIn(CLabelUI& label, int dpi) {
    const RECT& pos = label.Pos();
    const RECT padding = label.TextPadding();
    return pos.right - pos.left - dpi::ScaleLength(padding.left + padding.right, dpi);
}

// `text` (the label's own when empty) fits on one line in the control named `name`.
inline ::testing::AssertionResult TextFits(CWindowHostUI& host, const wchar_t* name, int dpi,
                                           const std::wstring& text = L"") {
    CControlUI* control = host.FindControlByName(name);
    auto* label = control ? static_cast<CLabelUI*>(control->CastTo(L"Label")) : nullptr;
    if (label == nullptr) return ::testing::AssertionFailure() << "no label named " << name;
    const std::wstring shown = text.empty() ? std::wstring(label->Text().GetData()) : text;
    const int width = TextWidthIn(host, *label, shown);
    const int room = RoomIn(*label, dpi);
    if (width <= room) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "text of " << width << " px in " << room << " px at " << dpi << " DPI";
}
