#include "ui/controls/button.h"

#include <algorithm>
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

// A button whose storage is filled with a pattern when deleted, so that any write to it after
// deletion shows, and any pointer read from it is garbage.
struct PoisonedButton : CButtonUI {
    static void* operator new(size_t size) { return size <= sizeof(storage) ? storage : nullptr; }
    static void operator delete(void* p) { memset(p, 0xA5, sizeof(PoisonedButton)); }
    static bool HoldsOnlyPoison() {
        return std::all_of(storage, storage + sizeof(PoisonedButton),
                           [](unsigned char b) { return b == 0xA5; });
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
    // One letter per event: E/L mouse enters/leaves, D/d button down inside/outside, M/m mouse
    // move inside/outside, U/u button up inside/outside, K double click inside, S space, R return,
    // A the key "A".
    void Run(CButtonUI& button, const char* steps) {
        for (; *steps; ++steps) {
            const char* types = "ELDdMmUuKSRA";
            const int type[] = {EventMouseEnter,  EventMouseLeave, EventButtonDown, EventButtonDown,
                                EventMouseMove,   EventMouseMove,  EventButtonUp,   EventButtonUp,
                                EventDoubleClick, EventKeyDown,    EventKeyDown,    EventKeyDown};
            const wchar_t key[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, VK_SPACE, VK_RETURN, L'A'};
            int i = static_cast<int>(strchr(types, *steps) - types);
            bool inside = *steps != 'd' && *steps != 'm' && *steps != 'u' && *steps != 'L';
            Send(button, type[i], inside ? kInX : kOutX, inside ? kInY : kOutY, key[i]);
        }
    }
};

TEST_F(ButtonTest, StateMachine) {
    const struct {
        const char* steps;
        UINT state;
        int clicks;
    } cases[] = {
        {"DU", 0, 1},                               // press and release inside
        {"Dm", ButtonCaptured, 0},                  // moving out shows it unpushed
        {"DmM", ButtonCaptured | ButtonPushed, 0},  // and back in pushed again
        {"EDmu", ButtonHot, 0},                     // released outside: no click
        {"K", ButtonCaptured | ButtonPushed, 0},    // a double click presses
        {"du", 0, 0},                               // pressed outside the item
        {"ES", ButtonHot, 1},                       // keys click without changing the state
        {"R", 0, 1},
        {"A", 0, 0},
        {"EL", 0, 0},
    };
    for (const auto& c : cases) {
        CButtonUI button;
        Attach(button, kItem);
        log.entries.clear();
        Run(button, c.steps);
        EXPECT_EQ(c.state, button.ButtonState()) << c.steps;
        EXPECT_EQ(c.clicks, Count(L"click")) << c.steps;
        for (const auto& entry : log.entries) {
            EXPECT_EQ(0u, entry.wParam) << c.steps;
        }
    }
}

TEST_F(ButtonTest, DisablingClearsEveryStateAndStopsInput) {
    CButtonUI button;
    Attach(button, kItem);
    Run(button, "ED");
    button.SetEnabled(false);
    EXPECT_EQ(0u, button.ButtonState());
    Run(button, "EDS");
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
    Run(*button, "DU");
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
    Run(button, "E");
    EXPECT_EQ(0xFF101010u, button.CaptionColor()) << "hot without a hot colour";
    Run(button, "D");
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
        for (int other = 0; other < cell; ++other) {
            EXPECT_NE(cellTop(other), cellTop(cell)) << "the artwork's states look alike: " << other << cell;
        }
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
        Run(button, "E");
        TestCanvas canvas(120, 40);
        button.Paint(canvas.DC(), kItem);
        EXPECT_EQ(c.pixel, canvas.Pixel(kInX, kInY)) << c.color;
    }
}
