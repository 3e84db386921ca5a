#include "ui/controls/layouts.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/controls/test_window.h"

namespace {

template <typename T = CControlUI>
T* Make(const wchar_t* attributes) {
    T* control = new T;
    control->ApplyAttributeText(attributes);
    return control;
}

template <typename Layout>
Layout* Row(const wchar_t* attributes, std::initializer_list<CControlUI*> children) {
    auto* layout = Make<Layout>(attributes);
    for (CControlUI* child : children) {
        layout->Add(child);
    }
    return layout;
}

UIEvent MouseEvent(int type, int x, int y) {
    UIEvent event;
    event.type = type;
    event.point = POINT{x, y};
    return event;
}

}  // namespace

TEST(HorizontalLayoutTest, StretchChildrenShareWhatTheFixedOnesLeave) {
    CHorizontalLayoutUI row;
    CControlUI* fixed = Make(L"width=\"100\"");
    CControlUI* a = Make(L"");
    CControlUI* b = Make(L"");
    row.Add(a);
    row.Add(fixed);
    row.Add(b);
    row.SetPos(RECT{0, 0, 300, 40});
    EXPECT_EQ((RECT{0, 0, 100, 40}), a->Pos());
    EXPECT_EQ((RECT{100, 0, 200, 40}), fixed->Pos());
    EXPECT_EQ((RECT{200, 0, 300, 40}), b->Pos());
}

TEST(HorizontalLayoutTest, RoundingRemainderStaysEmptyAtTheRight) {
    CHorizontalLayoutUI row;
    CControlUI* c[3] = {Make(L""), Make(L""), Make(L"")};
    for (CControlUI* child : c) {
        row.Add(child);
    }
    row.SetPos(RECT{0, 0, 301, 10});
    EXPECT_EQ((RECT{0, 0, 100, 10}), c[0]->Pos());
    EXPECT_EQ((RECT{200, 0, 300, 10}), c[2]->Pos());
}

TEST(HorizontalLayoutTest, OverfullRowGivesStretchChildrenOnlyTheirMinimum) {
    CHorizontalLayoutUI row;
    CControlUI* wide = Make(L"width=\"250\"");
    CControlUI* flexible = Make(L"minwidth=\"20\"");
    CControlUI* plain = Make(L"");
    CControlUI* last = Make(L"width=\"100\"");
    row.Add(wide);
    row.Add(flexible);
    row.Add(plain);
    row.Add(last);
    row.SetPos(RECT{0, 0, 300, 10});
    EXPECT_EQ((RECT{250, 0, 270, 10}), flexible->Pos());
    EXPECT_EQ((RECT{270, 0, 270, 10}), plain->Pos());
    EXPECT_EQ((RECT{270, 0, 370, 10}), last->Pos());  // runs past the right edge
}

TEST(HorizontalLayoutTest, LimitsCutEachChildWithoutMovingSpaceToOthers) {
    CHorizontalLayoutUI row;
    CControlUI* capped = Make(L"maxwidth=\"50\" maxheight=\"7\" minheight=\"3\"");
    CControlUI* other = Make(L"");
    CControlUI* tooSmall = Make(L"width=\"10\" minwidth=\"30\" height=\"2\" minheight=\"5\"");
    row.Add(capped);
    row.Add(other);
    row.Add(tooSmall);
    row.SetPos(RECT{0, 0, 330, 40});
    // Fixed total 30: each stretch share is 150; the capped child keeps only 50 of it.
    EXPECT_EQ((RECT{0, 0, 50, 7}), capped->Pos());
    EXPECT_EQ((RECT{50, 0, 200, 40}), other->Pos());
    EXPECT_EQ((RECT{200, 0, 230, 5}), tooSmall->Pos());
}

TEST(HorizontalLayoutTest, PaddingInsetAndChildPadding) {
    CHorizontalLayoutUI row;
    row.ApplyAttributeText(L"inset=\"10,5,10,5\" childpadding=\"6\"");
    CControlUI* padded = Make(L"padding=\"4,4,4,4\" width=\"228\"");
    CControlUI* next = Make(L"width=\"20\" height=\"8\"");
    CControlUI* rest = Make(L"");
    row.Add(padded);
    row.Add(next);
    row.Add(rest);
    row.SetPos(RECT{0, 0, 400, 50});
    EXPECT_EQ((RECT{14, 9, 242, 41}), padded->Pos());
    EXPECT_EQ((RECT{252, 5, 272, 13}), next->Pos());  // x + 236 + child padding, top-aligned
    // 380 - (236 + 20) - 2 * 6 = 112 left for the stretch child.
    EXPECT_EQ((RECT{278, 5, 390, 45}), rest->Pos());
}

TEST(HorizontalLayoutTest, HiddenChildrenTakeNoSpaceAndFloatingOnesFloat) {
    TestWindow window;
    CHorizontalLayoutUI row;
    row.SetChildPadding(10);
    CControlUI* a = Make(L"width=\"50\"");
    CControlUI* hidden = Make(L"width=\"50\" visible=\"false\"");
    CControlUI* floating = Make(L"float=\"true\" pos=\"5,5,25,15\"");
    CControlUI* b = Make(L"");
    row.Add(a);
    row.Add(hidden);
    row.Add(floating);
    row.Add(b);
    window.Host().InitTree(&row);
    row.SetPos(RECT{100, 0, 300, 20});
    EXPECT_EQ((RECT{100, 0, 150, 20}), a->Pos());
    EXPECT_EQ((RECT{160, 0, 300, 20}), b->Pos());
    EXPECT_EQ((RECT{105, 5, 125, 15}), floating->Pos());
    EXPECT_TRUE(IsEmpty(hidden->Pos()));
}

TEST(HorizontalLayoutTest, FloatingChildWithNegativeOffsetAndRelativeMoveAcrossPlacements) {
    TestWindow window;
    CHorizontalLayoutUI row;
    CControlUI* corner = Make(L"float=\"true\" pos=\"-1,-1,-30,-20\" width=\"20\" height=\"10\"");
    CControlUI* mover = Make(L"float=\"true\" pos=\"10,0,30,10\" relativepos=\"50,0,50,0\"");
    row.Add(corner);
    row.Add(mover);
    window.Host().InitTree(&row);
    row.SetPos(RECT{0, 0, 200, 100});
    EXPECT_EQ((RECT{150, 70, 170, 80}), corner->Pos());
    EXPECT_EQ((RECT{10, 0, 30, 10}), mover->Pos());
    row.SetPos(RECT{0, 0, 300, 100});
    EXPECT_EQ((RECT{250, 70, 270, 80}), corner->Pos());
    EXPECT_EQ((RECT{60, 0, 130, 10}), mover->Pos());  // moved by 50, grown by 50
}

TEST(VerticalLayoutTest, ChildrenSpanTheWidthLessPaddingAndAreLeftAligned) {
    CVerticalLayoutUI column;
    column.SetInset(RECT{2, 3, 4, 5});
    CControlUI* full = Make(L"height=\"20\" padding=\"6,1,8,2\"");
    CControlUI* capped = Make(L"height=\"20\" maxwidth=\"200\"");
    CControlUI* stretch = Make(L"minheight=\"10\"");
    column.Add(full);
    column.Add(capped);
    column.Add(stretch);
    column.SetPos(RECT{0, 0, 300, 100});
    EXPECT_EQ((RECT{8, 4, 288, 24}), full->Pos());
    EXPECT_EQ((RECT{2, 26, 202, 46}), capped->Pos());
    EXPECT_EQ((RECT{2, 46, 296, 95}), stretch->Pos());
}

TEST(VerticalLayoutTest, OnlyFloatingOrHiddenChildrenDoNotBreakThePlacement) {
    TestWindow window;
    CVerticalLayoutUI column;
    CControlUI* floating = Make(L"float=\"true\" pos=\"4,8,0,0\" width=\"72\" height=\"16\"");
    CControlUI* hidden = Make(L"visible=\"false\"");
    column.Add(floating);
    column.Add(hidden);
    column.SetChildPadding(5);
    window.Host().InitTree(&column);
    column.SetPos(RECT{10, 20, 110, 120});
    EXPECT_EQ((RECT{14, 28, 86, 44}), floating->Pos());
    EXPECT_TRUE(IsEmpty(hidden->Pos()));
}

TEST(VerticalLayoutTest, HeightLimitsAndSharesWithChildPadding) {
    CVerticalLayoutUI column;
    column.SetChildPadding(4);
    CControlUI* top = Make(L"height=\"30\" maxheight=\"20\"");
    CControlUI* middle = Make(L"");
    CControlUI* bottom = Make(L"maxheight=\"10\"");
    column.Add(top);
    column.Add(middle);
    column.Add(bottom);
    column.SetPos(RECT{0, 0, 50, 108});
    // Fixed total 20 (clamped), spacing 8: the two stretch children get 40 each, one cut to 10.
    EXPECT_EQ((RECT{0, 0, 50, 20}), top->Pos());
    EXPECT_EQ((RECT{0, 24, 50, 64}), middle->Pos());
    EXPECT_EQ((RECT{0, 68, 50, 78}), bottom->Pos());
}

TEST(LayoutNestingTest, VerticalLayoutInsideARowFillsIt) {
    CHorizontalLayoutUI row;
    auto* column = Make<CVerticalLayoutUI>(L"inset=\"8,10,8,8\"");
    CControlUI* title = Make(L"width=\"280\" height=\"16\"");
    column->Add(title);
    row.Add(column);
    row.SetPos(RECT{5, 7, 305, 39});
    EXPECT_EQ((RECT{5, 7, 305, 39}), column->Pos());
    EXPECT_EQ((RECT{13, 17, 293, 33}), title->Pos());
}

// The updater's window, built by hand as the skin describes it, laid out in 300 x 160.
TEST(LayoutNestingTest, UpdaterSkinTree) {
    TestWindow window(300, 160);
    auto* titleColumn = Row<CVerticalLayoutUI>(
        L"inset=\"8,10,8,8\"",
        {Make(L"name=\"down_dlg_title\" text=\"文件下载\" align=\"center\" width=\"280\" height=\"16\" "
              L"textcolor=\"#FF202020\" font=\"1\"")});
    auto* fileRow = Row<CHorizontalLayoutUI>(
        L"height=\"28\"",
        {Make(L"text=\"当前文件：\" float=\"true\" pos=\"4,8,0,0\" width=\"72\" height=\"16\" "
              L"textcolor=\"#FF151515\" font=\"0\""),
         Make(L"name=\"down_current_name\" text=\"\" float=\"true\" pos=\"78,8,0,0\" width=\"160\" "
              L"height=\"16\" textcolor=\"#FF1E90FF\" font=\"0\"")});
    auto* progressColumn = Row<CVerticalLayoutUI>(
        L"",
        {Make(L"text=\"下载进度：\" float=\"true\" pos=\"4,0,0,0\" width=\"72\" height=\"16\" "
              L"textcolor=\"#FF151515\" font=\"0\""),
         Make(L"name=\"down_progress_percent\" text=\"\" float=\"true\" pos=\"80,8,0,0\" width=\"120\" "
              L"height=\"16\" textcolor=\"#FF1F1F1F\" align=\"center\" font=\"1\""),
         Make(L"name=\"down_progress\" float=\"true\" pos=\"20,28,0,0\" padding=\"4,4,4,4\" width=\"228\" "
              L"height=\"12\" bordercolor=\"#FFA0A0A0\" bordersize=\"1\" "
              L"foreimage=\"file='progress_fore.png'\" "
              L"min=\"0\" max=\"100\" value=\"0\" maxheight=\"7\" maxwidth=\"200\"")});
    auto* info = Row<CHorizontalLayoutUI>(
        L"name=\"hlayout_down_info\" inset=\"8,8,8,8\"",
        {Row<CVerticalLayoutUI>(L"", {fileRow, Row<CHorizontalLayoutUI>(L"", {progressColumn})})});
    auto* buttonColumn = Row<CVerticalLayoutUI>(
        L"width=\"120\" inset=\"4,0,4,4\"",
        {Make(L"name=\"down_taskbar_button\" text=\"最小化到任务栏\" width=\"100\" height=\"22\" "
              L"visible=\"true\" textcolor=\"#FF101010\" font=\"0\"")});
    auto* filler = Make<CVerticalLayoutUI>(L"");
    auto* buttonRow = Row<CHorizontalLayoutUI>(L"height=\"32\"", {filler, buttonColumn});
    auto* titleRow = Row<CHorizontalLayoutUI>(L"height=\"32\"", {titleColumn});
    auto* root = Row<CHorizontalLayoutUI>(
        L"name=\"downloadbg\" bkimage=\"file='download_bg.png' corner='8,32,8,10'\" roundcorner=\"4,4,4,4\" "
        L"hole=\"true\"",
        {Row<CVerticalLayoutUI>(L"inset=\"1,0,1,0\" hole=\"true\"", {titleRow, info, buttonRow})});

    CWindowHostUI& host = window.Host();
    ASSERT_TRUE(host.AttachRoot(root));
    root->SetPos(RECT{0, 0, 300, 160});

    EXPECT_EQ((RECT{1, 0, 299, 32}), titleRow->Pos());
    EXPECT_EQ((RECT{9, 10, 289, 26}), host.FindControlByName(L"down_dlg_title")->Pos());
    EXPECT_EQ((RECT{1, 32, 299, 128}), info->Pos());
    EXPECT_EQ((RECT{9, 40, 291, 68}), fileRow->Pos());
    EXPECT_EQ((RECT{13, 48, 85, 64}), fileRow->ItemAt(0)->Pos());
    EXPECT_EQ((RECT{87, 48, 247, 64}), host.FindControlByName(L"down_current_name")->Pos());
    EXPECT_EQ((RECT{9, 68, 291, 120}), progressColumn->Pos());
    EXPECT_EQ((RECT{13, 68, 85, 84}), progressColumn->ItemAt(0)->Pos());
    EXPECT_EQ((RECT{89, 76, 209, 92}), host.FindControlByName(L"down_progress_percent")->Pos());
    // Floating placement uses the fixed size as given; the limits only apply in the flow.
    EXPECT_EQ((RECT{29, 96, 257, 108}), host.FindControlByName(L"down_progress")->Pos());
    EXPECT_EQ((RECT{1, 128, 299, 160}), buttonRow->Pos());
    EXPECT_EQ((RECT{179, 128, 299, 160}), buttonColumn->Pos());
    EXPECT_EQ((RECT{183, 128, 283, 150}), host.FindControlByName(L"down_taskbar_button")->Pos());

    // A second placement at the same size reproduces every rectangle.
    root->SetPos(RECT{0, 0, 300, 160});
    EXPECT_EQ((RECT{87, 48, 247, 64}), host.FindControlByName(L"down_current_name")->Pos());
    EXPECT_EQ((RECT{29, 96, 257, 108}), host.FindControlByName(L"down_progress")->Pos());
}

TEST(SeparatorTest, DraggingTheRightStripWidensTheLayoutUpToItsMaximum) {
    TestWindow window;
    auto* root = new CHorizontalLayoutUI;
    auto* side = Make<CHorizontalLayoutUI>(L"width=\"100\" sepwidth=\"4\" maxwidth=\"130\"");
    root->Add(side);
    root->Add(Make(L""));
    CWindowHostUI& host = window.Host();
    host.AttachRoot(root);
    root->SetPos(RECT{0, 0, 300, 50});
    EXPECT_EQ(UINT{ControlFlagSetCursor}, side->ControlFlags());
    EXPECT_EQ((RECT{96, 0, 100, 50}), side->SeparatorRect(false));

    UIEvent outside = MouseEvent(EventButtonDown, 50, 10);
    side->DispatchEvent(outside);
    EXPECT_FALSE(side->IsDragging());

    UIEvent down = MouseEvent(EventButtonDown, 98, 10);
    side->DispatchEvent(down);
    ASSERT_TRUE(side->IsDragging());
    EXPECT_EQ(1, host.AfterPaintControls().GetSize());
    UIEvent move = MouseEvent(EventMouseMove, 118, 10);
    side->DispatchEvent(move);
    EXPECT_EQ(120, side->FixedWidth());
    EXPECT_EQ((RECT{0, 0, 100, 50}), side->Pos());  // the tracker shows the new edge meanwhile
    EXPECT_EQ((RECT{116, 0, 120, 50}), side->SeparatorRect(true));
    UIEvent further = MouseEvent(EventMouseMove, 160, 10);
    side->DispatchEvent(further);
    EXPECT_EQ(130, side->FixedWidth());

    TestCanvas canvas(300, 50);
    side->PaintAfter(canvas.DC(), RECT{0, 0, 300, 50});
    EXPECT_NE(0xFFFFFFu, canvas.Pixel(128, 10));
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(100, 10));

    UIEvent up = MouseEvent(EventButtonUp, 160, 10);
    side->DispatchEvent(up);
    EXPECT_FALSE(side->IsDragging());
    EXPECT_EQ(0, host.AfterPaintControls().GetSize());
    EXPECT_TRUE(root->IsUpdateNeeded());
    root->SetPos(RECT{0, 0, 300, 50});
    EXPECT_EQ((RECT{0, 0, 130, 50}), side->Pos());
}

// The capture can be lost to another window between button-down and button-up, so a second
// button-down may arrive in the middle of a drag. The layout must still be listed only once,
// and deleting it must leave nothing of it on the after-paint list.
TEST(SeparatorTest, SecondButtonDownDuringADragListsTheLayoutOnce) {
    TestWindow window;
    auto* root = new CHorizontalLayoutUI;
    auto* side = Make<CHorizontalLayoutUI>(L"width=\"100\" sepwidth=\"4\"");
    auto* other = Make<CHorizontalLayoutUI>(L"width=\"100\" sepwidth=\"4\"");
    root->Add(side);
    root->Add(other);
    CWindowHostUI& host = window.Host();
    host.AttachRoot(root);
    root->SetPos(RECT{0, 0, 300, 50});

    UIEvent down = MouseEvent(EventButtonDown, 98, 10);
    side->DispatchEvent(down);
    side->DispatchEvent(down);
    EXPECT_EQ(1, host.AfterPaintControls().GetSize());
    UIEvent up = MouseEvent(EventButtonUp, 98, 10);
    side->DispatchEvent(up);
    EXPECT_EQ(0, host.AfterPaintControls().GetSize());

    side->DispatchEvent(down);
    side->DispatchEvent(down);
    UIEvent otherDown = MouseEvent(EventButtonDown, 198, 10);
    other->DispatchEvent(otherDown);
    host.AddAfterPaint(side);  // however it got there twice, deletion removes every copy
    root->SetDelayedDestroy(false);
    root->Remove(side);
    ASSERT_EQ(1, host.AfterPaintControls().GetSize());
    EXPECT_EQ(other, host.AfterPaintControls().GetAt(0));
}

TEST(SeparatorTest, ImmediateDragResizesOnEveryMove) {
    TestWindow window;
    auto* root = new CVerticalLayoutUI;
    auto* top = Make<CVerticalLayoutUI>(L"height=\"60\" sepheight=\"-5\" sepimm=\"true\" minheight=\"40\"");
    root->Add(Make(L"height=\"20\""));
    root->Add(top);
    window.Host().AttachRoot(root);
    root->SetPos(RECT{0, 0, 100, 200});
    ASSERT_EQ((RECT{0, 20, 100, 80}), top->Pos());
    EXPECT_EQ((RECT{0, 20, 100, 25}), top->SeparatorRect(false));

    UIEvent down = MouseEvent(EventButtonDown, 50, 22);
    top->DispatchEvent(down);
    ASSERT_TRUE(top->IsDragging());
    EXPECT_EQ(0, window.Host().AfterPaintControls().GetSize());
    UIEvent move = MouseEvent(EventMouseMove, 50, 32);
    top->DispatchEvent(move);
    EXPECT_EQ((RECT{0, 30, 100, 80}), top->Pos());
    EXPECT_EQ(50, top->FixedHeight());
    EXPECT_TRUE(root->IsUpdateNeeded());
    UIEvent tooFar = MouseEvent(EventMouseMove, 50, 62);
    top->DispatchEvent(tooFar);
    EXPECT_EQ(40, top->FixedHeight());  // cut at the minimum height
}

TEST(SeparatorTest, LayoutWithoutSeparatorPassesMouseEventsOn) {
    class Parent : public CHorizontalLayoutUI {
    public:
        void HandleEvent(UIEvent& event) override { forwarded += event.type == EventButtonDown ? 1 : 0; }
        int forwarded = 0;
    } parent;
    auto* child = new CVerticalLayoutUI;
    parent.Add(child);
    parent.AttachHost(nullptr, nullptr, false);
    parent.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(0u, child->ControlFlags());
    UIEvent down = MouseEvent(EventButtonDown, 99, 50);
    child->DispatchEvent(down);
    EXPECT_EQ(1, parent.forwarded);
    EXPECT_FALSE(child->IsDragging());
}
