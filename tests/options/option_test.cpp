#include "ui/controls/option.h"

#include "tests/options/options_fixture.h"
#include "ui/util/pointer_array.h"

namespace {

// Three radio buttons in two groups, a check box and a disabled option, 40 px wide each.
const char kOptionsSkin[] = R"(<Window><HorizontalLayout>
  <Option name="a" group="g" selected="true" width="40" />
  <Option name="b" group="g" width="40" />
  <Option name="c" group="h" selected="true" width="40" />
  <CheckBox name="box" width="40" />
  <Option name="off" enabled="false" width="40" />
</HorizontalLayout></Window>)";

int CenterOf(int index) {
    return index * 40 + 20;
}

using Seq = std::vector<std::wstring>;

TEST_F(OptionsTest, ClicksCheckRadioButtonsAndToggleCheckBoxes) {
    ASSERT_NE(nullptr, Install(kOptionsSkin));
    auto* a = Named<COptionUI>(L"a", L"Option");
    auto* b = Named<COptionUI>(L"b", L"Option");
    auto* c = Named<COptionUI>(L"c", L"Option");
    auto* box = Named<COptionUI>(L"box", L"Option");
    ASSERT_TRUE(a && b && c && box);
    ASSERT_EQ(2, Host().GroupMembers(L"g")->GetSize());

    struct Case {
        const char* what;
        int index;
        Seq sequence;
        bool a, b, c, box;
    };
    const Case cases[] = {
        {"second of g unchecks the first only",
         1,
         {L"click:b", L"selectchanged:b"},
         false,
         true,
         true,
         false},
        {"checked radio stays checked", 1, {L"click:b", L"selectchanged:b"}, false, true, true, false},
        {"first of g again", 0, {L"click:a", L"selectchanged:a"}, true, false, true, false},
        {"check box on", 3, {L"click:box", L"selectchanged:box"}, true, false, true, true},
        {"check box off", 3, {L"click:box", L"selectchanged:box"}, true, false, true, false},
        {"disabled option", 4, {}, true, false, true, false},
    };
    for (const Case& k : cases) {
        log.entries.clear();
        Click(CenterOf(k.index), 10);
        EXPECT_EQ(k.sequence, Sequence()) << k.what;
        EXPECT_EQ(k.a, a->IsChecked()) << k.what;
        EXPECT_EQ(k.b, b->IsChecked()) << k.what;
        EXPECT_EQ(k.c, c->IsChecked()) << k.what;
        EXPECT_EQ(k.box, box->IsChecked()) << k.what;
        EXPECT_EQ(k.box, (box->ButtonState() & ButtonChecked) != 0) << k.what;
    }
}

TEST_F(OptionsTest, GroupsBelongToOneHost) {
    ASSERT_NE(nullptr, Install(kOptionsSkin));
    CWindowHostUI other;
    COptionUI stranger;
    stranger.SetGroupName(L"g");
    stranger.SetChecked(true);
    other.InitTree(&stranger);
    Named<COptionUI>(L"b", L"Option")->SetChecked(true);
    EXPECT_TRUE(stranger.IsChecked());
    EXPECT_FALSE(Named<COptionUI>(L"a", L"Option")->IsChecked());
    // Moving to a group of the window's host unchecks the member there and announces it.
    Host().InitTree(&stranger);
    log.entries.clear();
    stranger.SetGroupName(L"h");
    EXPECT_EQ(nullptr, other.GroupMembers(L"g"));
    EXPECT_FALSE(Named<COptionUI>(L"c", L"Option")->IsChecked());
    EXPECT_EQ(1, Count(L"selectchanged"));
    stranger.SetGroupName(nullptr);
    EXPECT_EQ(1, Host().GroupMembers(L"h")->GetSize());
}

TEST_F(OptionsTest, OptionsDestroyedBeforeTheirTreeIsInstalledLeaveNoGroupMember) {
    CWindowHostUI host;
    delete Build(host, kOptionsSkin);
    EXPECT_EQ(nullptr, host.GroupMembers(L"g"));
    EXPECT_EQ(nullptr, host.GroupMembers(L"h"));
}

TEST_F(OptionsTest, CheckingInAGroupTheHostDoesNotKnowYetUnchecksNothing) {
    COptionUI option;
    option.SetGroupName(L"new");
    option.AttachHost(&Host(), nullptr, false);
    option.SetChecked(true);
    EXPECT_TRUE(option.IsChecked());
    EXPECT_EQ(1, Count(L"selectchanged"));
    option.SetChecked(false);  // a grouped option announces only being checked
    EXPECT_EQ(1, Count(L"selectchanged"));
    option.AttachHost(nullptr, nullptr, false);
}

TEST_F(OptionsTest, DisablingKeepsOnlyTheCheckedBit) {
    ASSERT_NE(nullptr, Install(kOptionsSkin));
    auto* a = Named<COptionUI>(L"a", L"Option");
    Mouse(WM_MOUSEMOVE, CenterOf(0), 10);
    ASSERT_NE(0u, a->ButtonState() & ButtonHot);
    a->SetEnabled(false);
    EXPECT_EQ(UINT{ButtonChecked}, a->ButtonState());
    EXPECT_FALSE(a->Activate());
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(OptionsTest, CheckedBackgroundColourReplacesTheStateImages) {
    struct Case {
        DWORD color;
        DWORD pixel;
    };
    const Case cases[] = {{0xFF00FF00, 0x00FF00}, {0x0000FF00, 0xFFFFFF}};
    for (const Case& k : cases) {
        COptionUI option;
        option.AttachHost(&Host(), nullptr, false);
        option.ApplyAttributeText(L"normalimage=\"file='button.png'\" foreimage=\"file='button.png'\"");
        option.SetCheckedBackColor(k.color);
        option.SetChecked(true);
        option.SetPos(RECT{0, 0, 20, 10});
        TestCanvas canvas(20, 10);
        option.PaintStateImages(canvas.DC());
        EXPECT_EQ(k.pixel, canvas.Pixel(10, 5) & 0xFFFFFF) << std::hex << k.color;
        option.AttachHost(nullptr, nullptr, false);
    }
}

TEST_F(OptionsTest, CheckBoxIsAnOptionUnderItsOwnClassName) {
    CControlUI* box = Build(Host(), "<Window><CheckBox /></Window>");
    ASSERT_NE(nullptr, box);
    EXPECT_STREQ(L"CheckBoxUI", box->ClassName());
    EXPECT_EQ(static_cast<void*>(static_cast<COptionUI*>(static_cast<CCheckBoxUI*>(box))),
              box->CastTo(L"Option"));
    EXPECT_NE(nullptr, box->CastTo(L"Button"));
    delete box;
}

}  // namespace
