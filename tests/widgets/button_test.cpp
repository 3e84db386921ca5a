#include "ui/controls/button.h"

#include <cstring>
#include <new>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "ui/draw/loaded_image.h"

namespace {

constexpr RECT kItem = {10, 10, 110, 32};
constexpr int kInX = 50, kInY = 20, kOutX = 200, kOutY = 100;

// The state images of the updater's button.
const wchar_t kSkinButtonImages[] =
    L"normalimage=\"file='button.png' source='0,0,52,20' corner='4,4,4,4'\" "
    L"hotimage=\"file='button.png' source='52,0,104,20' corner='4,4,4,4'\" "
    L"pushedimage=\"file='button.png' source='104,0,156,20' corner='4,4,4,4'\" "
    L"disabledimage=\"file='button.png' source='156,0,208,20' corner='4,4,4,4'\"";

struct Step {
    int type;
    bool inside;
    wchar_t key;
};

struct StateCase {
    const char* what;
    std::vector<Step> steps;
    UINT state;
    int clicks;
};

// A button whose storage is filled with a pattern when deleted, so that any write to it after
// deletion shows, and any pointer read from it is garbage.
struct PoisonedButton : CButtonUI {
    static void* operator new(size_t size) { return size <= sizeof(storage) ? storage : nullptr; }
    static void operator delete(void* p) { memset(p, 0xA5, sizeof(PoisonedButton)); }
    static bool HoldsOnlyPoison() {
        for (size_t i = 0; i < sizeof(PoisonedButton); ++i) {
            if (storage[i] != 0xA5) {
                return false;
            }
        }
        return true;
    }
    alignas(16) static unsigned char storage[1024];
};
alignas(16) unsigned char PoisonedButton::storage[1024];
static_assert(sizeof(PoisonedButton) <= sizeof(PoisonedButton::storage), "storage too small");

struct DeleteOnClick : INotifyUI {
    void HandleNotification(NotifyMsg& msg) override {
        if (msg.type == L"click") {
            delete msg.sender;
        }
    }
};

}  // namespace

class ButtonTest : public WidgetTest {
protected:
    void Run(CButtonUI& button, const std::vector<Step>& steps) {
        for (const Step& s : steps) {
            Send(button, s.type, s.inside ? kInX : kOutX, s.inside ? kInY : kOutY, s.key);
        }
    }
};

TEST_F(ButtonTest, StateMachine) {
    const StateCase cases[] = {
        {"press and release inside", {{EventButtonDown, true, 0}, {EventButtonUp, true, 0}}, 0, 1},
        {"press inside, move out",
         {{EventButtonDown, true, 0}, {EventMouseMove, false, 0}},
         ButtonCaptured,
         0},
        {"move back in",
         {{EventButtonDown, true, 0}, {EventMouseMove, false, 0}, {EventMouseMove, true, 0}},
         ButtonCaptured | ButtonPushed,
         0},
        {"release outside",
         {{EventMouseEnter, true, 0},
          {EventButtonDown, true, 0},
          {EventMouseMove, false, 0},
          {EventButtonUp, false, 0}},
         ButtonHot,
         0},
        {"double click presses", {{EventDoubleClick, true, 0}}, ButtonCaptured | ButtonPushed, 0},
        {"press outside the item", {{EventButtonDown, false, 0}, {EventButtonUp, false, 0}}, 0, 0},
        {"space", {{EventMouseEnter, true, 0}, {EventKeyDown, true, VK_SPACE}}, ButtonHot, 1},
        {"return", {{EventKeyDown, true, VK_RETURN}}, 0, 1},
        {"other key", {{EventKeyDown, true, L'A'}}, 0, 0},
        {"enter and leave", {{EventMouseEnter, true, 0}, {EventMouseLeave, false, 0}}, 0, 0},
    };
    for (const StateCase& c : cases) {
        CButtonUI button;
        Attach(button, kItem);
        log.entries.clear();
        Run(button, c.steps);
        EXPECT_EQ(c.state, button.ButtonState()) << c.what;
        EXPECT_EQ(c.clicks, Count(L"click")) << c.what;
        for (const auto& entry : log.entries) {
            EXPECT_EQ(0u, entry.wParam) << c.what;
        }
    }
}

TEST_F(ButtonTest, DisablingClearsEveryStateAndStopsInput) {
    CButtonUI button;
    Attach(button, kItem);
    Run(button, {{EventMouseEnter, true, 0}, {EventButtonDown, true, 0}});
    button.SetEnabled(false);
    EXPECT_EQ(0u, button.ButtonState());
    Run(button, {{EventMouseEnter, true, 0}, {EventButtonDown, true, 0}, {EventKeyDown, true, VK_SPACE}});
    EXPECT_EQ(0u, button.ButtonState());
    EXPECT_EQ(0, Count(L"click"));
}

TEST_F(ButtonTest, ListenerThatDeletesTheButtonIsSurvived) {
    DeleteOnClick deleter;
    Host().AddNotifyListener(&deleter);
    auto* button = new PoisonedButton;
    Attach(*button, kItem);
    button->SetAttribute(L"bindtablayoutname", L"pages");
    button->SetAttribute(L"bindtabindex", L"1");
    Run(*button, {{EventButtonDown, true, 0}, {EventButtonUp, true, 0}});
    Host().RemoveNotifyListener(&deleter);
    EXPECT_EQ(1, Count(L"click"));
    EXPECT_TRUE(PoisonedButton::HoldsOnlyPoison());
}

TEST_F(ButtonTest, TabBindingToAControlThatIsNoTabLayoutDoesNothing) {
    CButtonUI button;
    CLabelUI notATab;
    notATab.SetName(L"pages");
    Attach(notATab, RECT{0, 0, 10, 10});
    Attach(button, kItem);
    button.SetAttribute(L"bindtablayoutname", L"pages");
    button.SetAttribute(L"bindtabindex", L"2");
    button.SetAttribute(L"bindtabindex", L"-1");
    EXPECT_EQ(2, button.BoundTabIndex());
    EXPECT_TRUE(button.Activate());
    EXPECT_EQ(1, Count(L"click"));
}

TEST_F(ButtonTest, CaptionColourFollowsTheState) {
    CButtonUI button;
    Attach(button, kItem);
    button.ApplyAttributeText(
        L"textcolor=\"#FF101010\" pushedtextcolor=\"#FF0000FF\" focusedtextcolor=\"#FF00FF00\"");
    Run(button, {{EventMouseEnter, true, 0}});
    EXPECT_EQ(0xFF101010u, button.CaptionColor()) << "hot without a hot colour";
    Run(button, {{EventButtonDown, true, 0}});
    EXPECT_EQ(0xFF0000FFu, button.CaptionColor());
    button.SetEnabled(false);
    TestCanvas canvas(120, 40);
    button.Paint(canvas.DC(), kItem);
    EXPECT_EQ(0xFFA7A6AAu, button.CaptionColor()) << "the host's disabled colour, taken at paint";
}

TEST_F(ButtonTest, StateCellsComeFromButtonPng) {
    LoadedImage* image = Host().ImageFor(L"button.png", nullptr, 0);
    ASSERT_NE(nullptr, image);
    DIBSECTION dib = {};
    ASSERT_TRUE(GetObjectW(image->bitmap, sizeof(dib), &dib));
    // The middle of each cell's top edge: the nine-grid stretches that row only sideways.
    auto cellTop = [&](int cell) {
        return static_cast<const DWORD*>(dib.dsBm.bmBits)[cell * 52 + 26] & 0xFFFFFF;
    };

    const RECT item = {0, 0, 100, 22};
    CButtonUI button;
    Attach(button, item);
    button.ApplyAttributeText(kSkinButtonImages);
    void (*steps[])(CButtonUI&) = {
        [](CButtonUI&) {},
        [](CButtonUI& b) { Send(b, EventMouseEnter, 50, 11); },
        [](CButtonUI& b) { Send(b, EventButtonDown, 50, 11); },
        [](CButtonUI& b) { b.SetEnabled(false); },
    };
    for (int cell = 0; cell < 4; ++cell) {
        steps[cell](button);
        TestCanvas canvas(100, 22);
        button.Paint(canvas.DC(), item);
        EXPECT_EQ(cellTop(cell), canvas.Pixel(50, 0)) << "cell " << cell;
    }
}

TEST_F(ButtonTest, HotColourAloneReplacesEveryImage) {
    struct Case {
        const wchar_t* color;
        DWORD pixel;
    } cases[] = {{L"#00FF0000", 0xFFFFFF}, {L"#FF00FF00", 0x00FF00}};
    for (const Case& c : cases) {
        CButtonUI button;
        Attach(button, kItem);
        button.ApplyAttributeText(kSkinButtonImages);
        button.SetAttribute(L"hotimage", L"");
        button.SetAttribute(L"hotbkcolor", c.color);
        Run(button, {{EventMouseEnter, true, 0}});
        TestCanvas canvas(120, 40);
        button.Paint(canvas.DC(), kItem);
        EXPECT_EQ(c.pixel, canvas.Pixel(kInX, kInY)) << c.color;
    }
}
