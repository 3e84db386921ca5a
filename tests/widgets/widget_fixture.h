#pragma once
// One real window and host shared by every case of this program (a shown window costs about
// two seconds to destroy under Wine), with a notification log that each case starts empty.

#include <gtest/gtest.h>

#include "tests/controls/test_window.h"
#include "tests/widgets/shipped_skin.h"

class WidgetTest : public testing::Test {
protected:
    // Image descriptions name the images of the skin that updater.exe carries.
    static TestWindow& Window() {
        static TestWindow window(400, 200);
        static bool archive = [] {
            const std::vector<unsigned char>& bytes = ShippedSkinArchive();
            CWindowHostUI::UseSkinArchiveMemory(bytes.data(), static_cast<unsigned>(bytes.size()));
            return true;
        }();
        (void)archive;
        return window;
    }
    CWindowHostUI& Host() { return Window().Host(); }

    void SetUp() override { Host().AddNotifyListener(&log); }
    void TearDown() override { Host().RemoveNotifyListener(&log); }

    // Attaches a control to the shared host (registering its name) and places it.
    void Attach(CControlUI& control, RECT pos) {
        Host().InitTree(&control);
        control.SetPos(pos);
    }

    static UIEvent Event(int type, int x = 0, int y = 0, wchar_t key = 0) {
        UIEvent event;
        event.type = type;
        event.point = POINT{x, y};
        event.key = key;
        return event;
    }
    static void Send(CControlUI& control, int type, int x = 0, int y = 0, wchar_t key = 0) {
        UIEvent event = Event(type, x, y, key);
        control.HandleEvent(event);
    }

    int Count(const wchar_t* type) const {
        int n = 0;
        for (const auto& entry : log.entries) {
            n += entry.type == type ? 1 : 0;
        }
        return n;
    }

    NotificationLog log;
};
