#include "ui/controls/control.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/controls/test_window.h"
#include "ui/controls/container.h"
#include "ui/markup/control_factory.h"

namespace {

// Records the names SetAttribute sees, to check that attribute lists go through the virtual slot.
class RecordingControl : public CControlUI {
public:
    void SetAttribute(const wchar_t* name, const wchar_t* value) override {
        seen.push_back(name);
        CControlUI::SetAttribute(name, value);
    }
    std::vector<CWideString> seen;
};

UIEvent MakeEvent(int type, WPARAM wParam = 0) {
    UIEvent event;
    event.type = type;
    event.wParam = wParam;
    return event;
}

}  // namespace

TEST(ControlAttributeTest, PosWithPositiveSidesKeepsFixedSizeWhenDifferencesAreNegative) {
    CControlUI control;
    control.SetFixedWidth(5);
    control.SetAttribute(L"pos", L"4,8,0,0");
    EXPECT_EQ(4, control.FloatOffset().cx);
    EXPECT_EQ(8, control.FloatOffset().cy);
    EXPECT_EQ(5, control.FixedWidth());
    EXPECT_EQ(0, control.FixedHeight());
    control.SetAttribute(L"width", L"72");
    EXPECT_EQ(72, control.FixedWidth());
    control.SetAttribute(L"pos", L"10,10,110,60");
    EXPECT_EQ(100, control.FixedWidth());
    EXPECT_EQ(50, control.FixedHeight());
}

TEST(ControlAttributeTest, PosWithNegativeSidesTakesTheOffsetFromRightAndBottom) {
    CControlUI control;
    control.SetAttribute(L"pos", L"-1,-1,-30,-20");
    EXPECT_EQ(-30, control.FloatOffset().cx);
    EXPECT_EQ(-20, control.FloatOffset().cy);
    EXPECT_EQ(0, control.FixedWidth());
    control.SetAttribute(L"pos", L"-50,-40,-10,-10");
    EXPECT_EQ(-10, control.FloatOffset().cx);
    EXPECT_EQ(40, control.FixedWidth());
    EXPECT_EQ(30, control.FixedHeight());
}

TEST(ControlAttributeTest, BorderSizeForms) {
    CControlUI control;
    control.SetAttribute(L"bordersize", L"0,0,0,2");
    control.SetAttribute(L"bordersize", L"1");
    EXPECT_EQ(1, control.BorderSize());
    EXPECT_EQ((RECT{0, 0, 0, 0}), control.BorderSizes());
    control.SetAttribute(L"bordersize", L"0,0,0,2");
    EXPECT_EQ(1, control.BorderSize());
    EXPECT_EQ((RECT{0, 0, 0, 2}), control.BorderSizes());
    control.SetAttribute(L"leftbordersize", L"3");
    EXPECT_EQ((RECT{3, 0, 0, 2}), control.BorderSizes());
}

TEST(ControlAttributeTest, ColoursBooleansAndTexts) {
    CControlUI control;
    control.SetAttribute(L"bkcolor", L"  #FF202020");
    control.SetAttribute(L"bordercolor", L"  #FF202020");
    control.SetAttribute(L"bkcolor2", L"FF101010");
    control.SetAttribute(L"focusbordercolor", L"#00FF0000");
    EXPECT_EQ(0xFF202020u, control.BackColor());
    EXPECT_EQ(0u, control.BorderColor());
    EXPECT_EQ(0xFF101010u, control.BackColor2());
    EXPECT_EQ(0x00FF0000u, control.FocusBorderColor());

    control.SetAttribute(L"tooltip", L"first<n>second");
    EXPECT_EQ(CWideString(L"first\r\nsecond"), control.ToolTip());
    control.SetAttribute(L"shortcut", L"xyz");
    EXPECT_EQ(L'x', control.Shortcut());
    control.SetAttribute(L"borderround", L"4,6");
    EXPECT_EQ(4, control.BorderRound().cx);
    EXPECT_EQ(6, control.BorderRound().cy);
    control.SetAttribute(L"relativepos", L"50,25,10,0");
    EXPECT_TRUE(control.IsRelativeLayout());
    EXPECT_EQ(50, control.RelativeLayout().moveXPercent);
    EXPECT_EQ(10, control.RelativeLayout().zoomXPercent);
    control.SetAttribute(L"Name", L"ignored");  // names are case-sensitive
    EXPECT_TRUE(control.Name().IsEmpty());
}

TEST(ControlAttributeTest, BooleansAreTrueOnlyForLowerCaseTrue) {
    CControlUI control;
    control.SetAttribute(L"visible", L"TRUE");
    EXPECT_FALSE(control.IsVisible());
    control.SetAttribute(L"visible", L"true");
    EXPECT_TRUE(control.IsVisible());
    control.SetAttribute(L"enabled", L"yes");
    EXPECT_FALSE(control.IsEnabled());
    control.SetAttribute(L"float", L"true");
    EXPECT_TRUE(control.IsFloat());
}

TEST(ControlAttributeTest, AttributeListGoesThroughTheVirtualSlotAndStopsAtTwoSpaces) {
    RecordingControl control;
    control.ApplyAttributeText(L"name=\"title\" width=\"80\"");
    EXPECT_EQ(CWideString(L"title"), control.Name());
    EXPECT_EQ(80, control.FixedWidth());
    ASSERT_EQ(2u, control.seen.size());
    EXPECT_EQ(CWideString(L"width"), control.seen[1]);

    RecordingControl other;
    other.ApplyAttributeText(L"height=\"20\"  width=\"80\"");
    EXPECT_EQ(20, other.FixedHeight());
    EXPECT_EQ(0, other.FixedWidth());
}

// One rule for every class the skin can name: a null argument is ignored, never dereferenced.
TEST(ControlNullArgumentsTest, EveryFactoryClassIgnoresNullNamesAndValues) {
    const wchar_t* const kAttributes[] = {L"name", L"text", L"bkimage", L"normalimage", L"foreimage",
                                          L"thumbimage", L"selected", L"group", L"autoplay", L"min",
                                          L"value", L"readonly", L"xmlfile", L"selectedid", L"itemsize"};
    int classes = 0;
    for (int i = 0; const wchar_t* element = FactoryElementName(i); ++i, ++classes) {
        CControlUI* control = CreateControlForElement(element);
        ASSERT_NE(nullptr, control) << element;
        EXPECT_EQ(nullptr, control->CastTo(nullptr)) << element;
        control->SetAttribute(nullptr, L"1");
        control->SetAttribute(nullptr, nullptr);
        for (const wchar_t* name : kAttributes) {
            control->SetAttribute(name, nullptr);
        }
        EXPECT_TRUE(control->Name().IsEmpty()) << element;
        EXPECT_NE(nullptr, control->CastTo(L"Control")) << element;
        delete control;
    }
    EXPECT_EQ(17, classes);
}

TEST(ControlSettersTest, InvalidValuesAreIgnored) {
    CControlUI control;
    control.SetFixedWidth(30);
    control.SetFixedWidth(-5);
    EXPECT_EQ(30, control.FixedWidth());
    control.SetMaxWidth(-1);
    EXPECT_EQ(9999, control.MaxWidth());
    control.SetText(L"abc");
    control.SetText(nullptr);
    EXPECT_TRUE(control.Text().IsEmpty());
}

// These settings live outside the object's hot part; their defaults must hold before anything
// else of that part exists, and setting one must not disturb the others.
TEST(ControlSettersTest, RarelyUsedSettingsKeepTheirDefaultsAndValues) {
    CControlUI control;
    EXPECT_EQ(300, control.ToolTipWidth());
    EXPECT_EQ(0u, control.UserTag());
    EXPECT_EQ(L'\0', control.Shortcut());
    EXPECT_FALSE(control.IsRelativeLayout());
    control.SetUserTag(7);
    EXPECT_EQ(300, control.ToolTipWidth());
    control.SetToolTipWidth(120);
    control.SetRelativeParentSize(SIZE{40, 30});
    control.SetText(L"label");
    EXPECT_EQ(7u, control.UserTag());
    EXPECT_EQ(120, control.ToolTipWidth());
    EXPECT_FALSE(control.IsRelativeLayout());
    EXPECT_EQ(40, control.RelativeLayout().parentSize.cx);
    EXPECT_EQ(30, control.RelativeLayout().parentSize.cy);
}

TEST(ControlSettersTest, UnchangedLimitDoesNotRequestLayout) {
    TestWindow window;
    CContainerUI parent;
    auto* child = new CControlUI;
    parent.Add(child);
    window.Host().InitTree(&parent);
    parent.SetPos(RECT{0, 0, 100, 100});
    ASSERT_FALSE(parent.IsUpdateNeeded());
    child->SetMinWidth(0);
    EXPECT_FALSE(parent.IsUpdateNeeded());
    child->SetMinWidth(10);
    EXPECT_TRUE(parent.IsUpdateNeeded());
    EXPECT_TRUE(window.Host().IsUpdateNeeded());
}

TEST(ControlPosTest, InvertedRectangleCollapsesToTheLeftAndTop) {
    CControlUI control;
    control.SetPos(RECT{50, 60, 10, 20});
    EXPECT_EQ((RECT{50, 60, 50, 60}), control.Pos());
    EXPECT_EQ(0, control.Width());
}

TEST(ControlPosTest, WithoutHostTheUpdateFlagStays) {
    CControlUI control;
    control.SetPos(RECT{0, 0, 10, 10});
    EXPECT_TRUE(control.IsUpdateNeeded());
}

TEST(ControlPosTest, FloatingChildRederivesItsOffsetFromTheParent) {
    TestWindow window;
    CContainerUI parent;
    auto* child = new CControlUI;
    child->SetFloat(true);
    child->SetFloatOffset(SIZE{-10, 5});
    parent.Add(child);
    window.Host().InitTree(&parent);
    parent.CControlUI::SetPos(RECT{0, 0, 200, 100});
    child->SetPos(RECT{150, 20, 170, 50});
    EXPECT_EQ(170 - 200, child->FloatOffset().cx);  // negative: measured from the right
    EXPECT_EQ(20, child->FloatOffset().cy);
    EXPECT_EQ(20, child->FixedWidth());
    EXPECT_EQ(30, child->FixedHeight());
}

TEST(ControlInvalidateTest, RepaintIsClippedByEveryAncestor) {
    TestWindow window;
    CContainerUI root;
    auto* middle = new CContainerUI;
    auto* leaf = new CControlUI;
    middle->Add(leaf);
    root.Add(middle);
    window.Host().InitTree(&root);
    // The middle container sticks out of the root, so clipping by the parent alone would let
    // the leaf repaint outside the root.
    root.CControlUI::SetPos(RECT{0, 0, 100, 100});
    middle->CControlUI::SetPos(RECT{50, 50, 200, 200});
    leaf->CControlUI::SetPos(RECT{60, 60, 180, 180});
    window.Validate();

    leaf->Invalidate();
    EXPECT_EQ((RECT{60, 60, 100, 100}), window.UpdateRect());

    leaf->CControlUI::SetPos(RECT{120, 120, 180, 180});  // inside the middle one, outside the root
    window.Validate();
    leaf->Invalidate();
    EXPECT_TRUE(IsEmpty(window.UpdateRect()));

    leaf->CControlUI::SetPos(RECT{60, 60, 180, 180});
    window.Validate();
    leaf->SetPos(RECT{210, 210, 260, 260});  // outside every ancestor
    leaf->Invalidate();
    // Only the old position's visible part is repainted by the move; the new one shows nowhere.
    EXPECT_EQ((RECT{60, 60, 100, 100}), window.UpdateRect());

    window.Validate();
    leaf->Invalidate();
    EXPECT_TRUE(IsEmpty(window.UpdateRect()));
}

TEST(ControlInvalidateTest, HiddenOrHostlessControlsDoNotInvalidate) {
    TestWindow window;
    CControlUI control;
    control.SetPos(RECT{0, 0, 50, 50});
    control.Invalidate();
    EXPECT_TRUE(IsEmpty(window.UpdateRect()));
    window.Host().InitTree(&control);
    control.SetVisible(false);
    window.Validate();
    control.Invalidate();
    EXPECT_TRUE(IsEmpty(window.UpdateRect()));
    control.SetVisible(true);
    control.Invalidate();
    EXPECT_EQ((RECT{0, 0, 50, 50}), window.UpdateRect());
}

TEST(ControlFindTest, FlagsFilterTheControl) {
    CControlUI control;
    control.SetPos(RECT{10, 10, 20, 20});
    auto self = [](CControlUI* c, void*) -> CControlUI* { return c; };
    POINT inside = {15, 15};
    POINT outside = {25, 15};
    EXPECT_EQ(&control, control.FindControl(self, &inside, FindHitTest));
    EXPECT_EQ(nullptr, control.FindControl(self, &outside, FindHitTest));
    control.SetMouseEnabled(false);
    EXPECT_EQ(nullptr, control.FindControl(self, &inside, FindHitTest));
    EXPECT_EQ(&control, control.FindControl(self, &inside, FindVisible | FindEnabled));
    control.SetEnabled(false);
    EXPECT_EQ(nullptr, control.FindControl(self, nullptr, FindEnabled));
    control.SetVisible(false);
    EXPECT_EQ(nullptr, control.FindControl(self, nullptr, FindVisible));
    EXPECT_EQ(&control, control.FindControl(self, nullptr, 0));
}

TEST(ControlEventTest, TimerAndMenuBecomeNotifications) {
    TestWindow window;
    NotificationLog log;
    window.Host().AddNotifyListener(&log);
    CControlUI control;
    window.Host().InitTree(&control);

    UIEvent timer = MakeEvent(EventTimer, 510);
    control.DispatchEvent(timer);
    UIEvent menu = MakeEvent(EventContextMenu);
    control.DispatchEvent(menu);  // menu not enabled: no notification
    control.SetMenuEnabled(true);
    control.DispatchEvent(menu);

    ASSERT_EQ(2u, log.entries.size());
    EXPECT_EQ(CWideString(L"timer"), log.entries[0].type);
    EXPECT_EQ(510u, log.entries[0].wParam);
    EXPECT_EQ(&control, log.entries[0].sender);
    EXPECT_EQ(CWideString(L"menu"), log.entries[1].type);
}

TEST(ControlEventTest, FocusEventsSetTheFlagAndOthersBubbleToTheParent) {
    class Parent : public CContainerUI {
    public:
        void HandleEvent(UIEvent& event) override { received.push_back(event.type); }
        std::vector<int> received;
    } parent;
    auto* child = new CControlUI;
    parent.Add(child);
    parent.AttachHost(nullptr, nullptr, false);
    UIEvent gained = MakeEvent(EventFocusGained);
    child->DispatchEvent(gained);
    EXPECT_TRUE(child->IsFocused());
    UIEvent lost = MakeEvent(EventFocusLost);
    child->DispatchEvent(lost);
    EXPECT_FALSE(child->IsFocused());
    UIEvent click = MakeEvent(EventButtonDown);
    child->DispatchEvent(click);
    EXPECT_EQ(std::vector<int>{EventButtonDown}, parent.received);
}

TEST(ControlListenerTest, EventListenerReturningFalseStopsTheEvent) {
    CControlUI control;
    int calls = 0;
    control.EventListeners().Add(MakeDelegate([&calls](void*) {
        ++calls;
        return false;
    }));
    control.EventListeners().Add(MakeDelegate([&calls](void*) {
        calls += 100;
        return true;
    }));
    UIEvent gained = MakeEvent(EventFocusGained);
    control.DispatchEvent(gained);
    EXPECT_EQ(1, calls);
    EXPECT_FALSE(control.IsFocused());
}

TEST(ControlListenerTest, InitAndDestroyListenersRunInOrder) {
    std::vector<int> order;
    {
        class Initialising : public CControlUI {
        public:
            explicit Initialising(std::vector<int>& log) : m_log(log) {}
            void OnInitialize() override { m_log.push_back(0); }

        private:
            std::vector<int>& m_log;
        } control(order);
        control.InitListeners().Add(MakeDelegate([&order](void*) {
            order.push_back(1);
            return false;
        }));
        control.InitListeners().Add(MakeDelegate([&order](void*) {
            order.push_back(2);
            return true;
        }));
        control.DestroyListeners().Add(MakeDelegate([&order](void* param) {
            order.push_back(param ? 3 : -1);
            return true;
        }));
        control.Initialize();
    }
    EXPECT_EQ((std::vector<int>{0, 1, 3}), order);
}

TEST(ControlListenerTest, SizeListenersRunOnceEvenWhenTheyMoveTheControl) {
    TestWindow window;
    CControlUI control;
    window.Host().InitTree(&control);
    int calls = 0;
    control.SizeListeners().Add(MakeDelegate([&](void* param) {
        ++calls;
        static_cast<CControlUI*>(param)->SetPos(RECT{0, 0, 5, 5});
        return true;
    }));
    control.SetPos(RECT{0, 0, 50, 50});
    EXPECT_EQ(1, calls);
}

TEST(ControlListenerTest, ListenerMayRemoveItselfWhileRunning) {
    CListenerList list;
    int calls = 0;
    CDelegateBase* self = nullptr;
    self = MakeDelegate([&](void*) {
        ++calls;
        list.Remove(self);
        return true;
    });
    list.Add(self);
    list.Add(MakeDelegate([&](void*) {
        calls += 10;
        return true;
    }));
    EXPECT_TRUE(list.Run(nullptr));
    EXPECT_EQ(11, calls);
    EXPECT_EQ(1, list.Count());
    list.Run(nullptr);
    EXPECT_EQ(21, calls);
}

TEST(ControlVisibilityTest, HidingTheFocusedControlClearsTheHostFocus) {
    TestWindow window;
    CControlUI control;
    window.Host().InitTree(&control);
    window.Host().SetFocusControl(&control);
    ASSERT_EQ(&control, window.Host().FocusedControl());
    EXPECT_TRUE(control.IsFocused());
    control.SetVisible(false);
    EXPECT_EQ(nullptr, window.Host().FocusedControl());
    EXPECT_FALSE(control.IsFocused());
}

TEST(ControlVisibilityTest, VirtualWindowNameIsInheritedAndSwitchesTheHostFlag) {
    TestWindow window;
    CContainerUI parent;
    auto* child = new CControlUI;
    parent.Add(child);
    parent.SetVirtualWindowName(L"early");  // no host yet: the flag stays off
    EXPECT_FALSE(window.Host().UsesVirtualWindows());
    window.Host().InitTree(&parent);
    EXPECT_EQ(CWideString(L"early"), child->VirtualWindowName());
    child->SetVirtualWindowName(L"");
    EXPECT_TRUE(window.Host().UsesVirtualWindows());
}

TEST(ControlPaintTest, OpaqueBackgroundFillsOnlyTheDirtyPart) {
    TestWindow window;  // starts GDI+ for the fills
    TestCanvas canvas(100, 100);
    CControlUI control;
    control.SetPos(RECT{10, 10, 90, 90});
    control.SetBackColor(0xFF0000FF);
    control.Paint(canvas.DC(), RECT{0, 0, 50, 100});
    EXPECT_EQ(0x0000FFu, canvas.Pixel(20, 20));
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(60, 20));  // outside the dirty rectangle
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(5, 5));    // outside the control
    EXPECT_EQ((RECT{10, 10, 50, 90}), control.PaintRect());
}

TEST(ControlPaintTest, TransparentBackgroundIsNotPaintedAndBordersAre) {
    TestWindow window;
    TestCanvas canvas(100, 100);
    CControlUI control;
    control.SetPos(RECT{10, 10, 90, 90});
    control.SetBackColor(0x00FF0000);
    control.SetAttribute(L"bordercolor", L"#FF00FF00");
    control.SetAttribute(L"bordersize", L"2");
    control.Paint(canvas.DC(), RECT{0, 0, 100, 100});
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(50, 50));
    EXPECT_EQ(0x00FF00u, canvas.Pixel(10, 50));
    EXPECT_EQ(0x00FF00u, canvas.Pixel(11, 50));
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(12, 50));
}

TEST(ControlPaintTest, SideBordersAndFocusBorder) {
    TestWindow window;
    TestCanvas canvas(100, 100);
    CControlUI control;
    control.SetPos(RECT{10, 10, 90, 90});
    control.SetAttribute(L"bordercolor", L"#FFFF0000");
    control.SetAttribute(L"bordersize", L"0,0,0,1");
    control.Paint(canvas.DC(), RECT{0, 0, 100, 100});
    EXPECT_EQ(0xFF0000u, canvas.Pixel(50, 90));  // bottom line only
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(10, 50));

    TestCanvas focused(100, 100);
    control.SetAttribute(L"bordersize", L"1");
    control.SetAttribute(L"focusbordercolor", L"#FF0000FF");
    UIEvent gained = MakeEvent(EventFocusGained);
    control.DispatchEvent(gained);
    control.Paint(focused.DC(), RECT{0, 0, 100, 100});
    EXPECT_EQ(0x0000FFu, focused.Pixel(10, 50));
}

TEST(ControlPaintTest, RoundCornersClipTheBackground) {
    TestWindow window;
    TestCanvas canvas(100, 100);
    CControlUI control;
    control.SetPos(RECT{10, 10, 90, 90});
    control.SetBackColor(0xFF00FF00);
    control.SetBorderRound(SIZE{20, 20});
    control.Paint(canvas.DC(), RECT{0, 0, 100, 100});
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(10, 10));  // cut corner
    EXPECT_EQ(0x00FF00u, canvas.Pixel(50, 50));
    // The clipping is restored afterwards: a later fill reaches the corner again.
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT all = {0, 0, 100, 100};
    FillRect(canvas.DC(), &all, black);
    EXPECT_EQ(0x000000u, canvas.Pixel(10, 10));
}
