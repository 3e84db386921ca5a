#pragma once
// One real window and host shared by every case of this program, trees built from skin text
// with the builder, and real mouse messages sent to the window.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/widgets/widget_fixture.h"
#include "ui/markup/skin_builder.h"

class OptionsTest : public WidgetTest {
protected:
    // Builds `xml` into `host` without installing it: the builder attaches the host only while
    // it applies each control's attributes.
    static CControlUI* Build(CWindowHostUI& host, const char* xml) {
        CSkinBuilder builder;
        if (!builder.Document().LoadBytes(reinterpret_cast<const unsigned char*>(xml),
                                          static_cast<uint32_t>(strlen(xml)))) {
            return nullptr;
        }
        return builder.BuildLoaded(nullptr, &host);
    }
    // Builds `xml` as the shared window's tree and places it over the whole client area.
    CControlUI* Install(const char* xml) {
        CControlUI* root = Build(Host(), xml);
        if (root && Host().AttachRoot(root)) {
            root->SetPos(RECT{0, 0, 400, 200});
        }
        Window().Pump();  // the replaced tree goes through the deferred-delete queue
        log.entries.clear();
        return root;
    }
    template <typename T>
    T* Named(const wchar_t* name, const wchar_t* cast) {
        CControlUI* control = Host().FindControlByName(name);
        return control ? static_cast<T*>(control->CastTo(cast)) : nullptr;
    }
    LRESULT Mouse(UINT message, int x, int y, WPARAM wParam = 0) {
        return SendMessageW(Window().Handle(), message, wParam, MAKELPARAM(x, y));
    }
    void Click(int x, int y) {
        Mouse(WM_MOUSEMOVE, x, y);
        Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, x, y);
    }
    // The wheel message carries screen coordinates.
    void Wheel(int x, int y, int delta) {
        POINT pt = {x, y};
        ClientToScreen(Window().Handle(), &pt);
        SendMessageW(Window().Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(pt.x, pt.y));
    }
    // Notifications as "type:sender-name" in delivery order, focus changes left out.
    std::vector<std::wstring> Sequence() const {
        std::vector<std::wstring> out;
        for (const auto& e : log.entries) {
            if (e.type == L"setfocus" || e.type == L"killfocus") {
                continue;
            }
            out.push_back(std::wstring(e.type) + L":" + std::wstring(e.sender->Name()));
        }
        return out;
    }
};
