#include "ui/controls/container.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/controls/test_window.h"
#include "ui/controls/layouts.h"
#include "ui/controls/scroll_bar.h"

namespace {

CControlUI* Fixed(int width, int height) {
    auto* control = new CControlUI;
    control->SetFixedWidth(width);
    control->SetFixedHeight(height);
    return control;
}

CControlUI* Floating(int x, int y, int width, int height) {
    CControlUI* control = Fixed(width, height);
    control->SetFloat(true);
    control->SetFloatOffset(SIZE{x, y});
    return control;
}

CControlUI* ReturnSelf(CControlUI* control, void*) {
    return control;
}

CControlUI* CollectAll(CControlUI* control, void* data) {
    static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

// Removes itself from its parent while handling a click, then keeps using its own members.
class SelfRemovingControl : public CControlUI {
public:
    explicit SelfRemovingControl(bool* destroyed) : m_destroyed(destroyed) {}
    ~SelfRemovingControl() override { *m_destroyed = true; }
    void HandleEvent(UIEvent& event) override {
        if (event.type == EventButtonDown) {
            auto* parent = static_cast<IContainerUI*>(ParentControl()->CastTo(L"IContainer"));
            parent->Remove(this);
            survivedRemoval = !*m_destroyed;
            SetText(L"still here");
            return;
        }
        CControlUI::HandleEvent(event);
    }
    bool survivedRemoval = false;

private:
    bool* m_destroyed;
};

}  // namespace

TEST(ContainerChildrenTest, ChildOfHiddenContainerIsHiddenUntilTheContainerShows) {
    CContainerUI container;
    container.SetVisible(false);
    CControlUI* child = Fixed(10, 10);
    container.Add(child);
    EXPECT_FALSE(child->IsVisible());
    container.SetVisible(true);
    EXPECT_TRUE(child->IsVisible());
    container.SetVisible(false);
    EXPECT_FALSE(child->IsVisible());
}

TEST(ContainerChildrenTest, IndexOperations) {
    CContainerUI container;
    CControlUI* a = Fixed(1, 1);
    CControlUI* b = Fixed(2, 2);
    CControlUI* c = Fixed(3, 3);
    EXPECT_FALSE(container.Add(nullptr));
    container.Add(a);
    container.Add(b);
    EXPECT_TRUE(container.AddAt(c, 0));
    EXPECT_EQ(c, container.ItemAt(0));
    EXPECT_EQ(2, container.ItemIndex(b));
    EXPECT_EQ(nullptr, container.ItemAt(3));
    EXPECT_EQ(nullptr, container.ItemAt(-1));
    EXPECT_TRUE(container.SetItemIndex(c, 2));
    EXPECT_EQ(a, container.ItemAt(0));
    EXPECT_EQ(c, container.ItemAt(2));
    CControlUI* stray = Fixed(4, 4);
    EXPECT_FALSE(container.AddAt(stray, 5));
    EXPECT_EQ(3, container.Count());
    EXPECT_FALSE(container.SetItemIndex(stray, 0));
    delete stray;
    EXPECT_TRUE(container.RemoveAt(1));
    EXPECT_FALSE(container.RemoveAt(7));
    EXPECT_EQ(2, container.Count());
}

TEST(ContainerChildrenTest, RemoveWithoutAutoDestroyKeepsTheChildAlive) {
    bool destroyed = false;
    CContainerUI container;
    auto* child = new SelfRemovingControl(&destroyed);
    container.Add(child);
    container.SetAutoDestroy(false);
    EXPECT_TRUE(container.Remove(child));
    EXPECT_FALSE(destroyed);
    EXPECT_FALSE(container.Remove(child));
    EXPECT_EQ(0, container.Count());
    delete child;
    EXPECT_TRUE(destroyed);
}

TEST(ContainerChildrenTest, RemovingItselfInsideItsOwnHandlerIsDeferred) {
    TestWindow window;
    bool destroyed = false;
    auto* root = new CContainerUI;
    auto* child = new SelfRemovingControl(&destroyed);
    child->SetName(L"doomed");
    root->Add(child);
    window.Host().AttachRoot(root);
    ASSERT_EQ(child, window.Host().FindControlByName(L"doomed"));
    UIEvent click;
    click.type = EventButtonDown;
    child->DispatchEvent(click);
    EXPECT_TRUE(child->survivedRemoval);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(0, root->Count());
    window.Pump();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(nullptr, window.Host().FindControlByName(L"doomed"));
}

TEST(ContainerChildrenTest, RemoveAllDestroysEveryChildThroughTheQueue) {
    TestWindow window;
    bool first = false;
    bool second = false;
    auto* root = new CContainerUI;
    root->Add(new SelfRemovingControl(&first));
    root->Add(new SelfRemovingControl(&second));
    window.Host().AttachRoot(root);
    root->RemoveAll();
    EXPECT_EQ(0, root->Count());
    EXPECT_FALSE(first || second);
    window.Pump();
    EXPECT_TRUE(first && second);
}

TEST(ContainerChildrenTest, AddingUnderAHostRegistersTheNamesOfTheWholeSubtree) {
    TestWindow window;
    auto* root = new CContainerUI;
    window.Host().AttachRoot(root);
    auto* group = new CContainerUI;
    CControlUI* leaf = Fixed(1, 1);
    leaf->SetName(L"leaf");
    group->Add(leaf);
    EXPECT_EQ(nullptr, leaf->ParentControl());  // no host yet: the parent is set on attach
    root->Add(group);
    EXPECT_EQ(leaf, window.Host().FindControlByName(L"leaf"));
    EXPECT_EQ(group, leaf->ParentControl());
    EXPECT_EQ(&window.Host(), leaf->Host());
}

TEST(ContainerChildrenTest, EnabledStatePropagates) {
    CContainerUI container;
    CControlUI* child = Fixed(1, 1);
    container.Add(child);
    container.SetEnabled(false);
    EXPECT_FALSE(child->IsEnabled());
    container.SetEnabled(true);
    EXPECT_TRUE(child->IsEnabled());
}

TEST(ContainerPlacementTest, PlainContainerGivesEveryChildTheInsetRectangle) {
    CContainerUI container;
    CControlUI* a = Fixed(10, 10);
    CControlUI* b = new CControlUI;
    CControlUI* hidden = Fixed(5, 5);
    hidden->SetVisible(false);
    container.Add(a);
    container.Add(b);
    container.Add(hidden);
    container.SetInset(RECT{1, 2, 3, 4});
    container.SetPos(RECT{0, 0, 100, 50});
    EXPECT_EQ((RECT{1, 2, 97, 46}), a->Pos());
    EXPECT_EQ((RECT{1, 2, 97, 46}), b->Pos());
    EXPECT_TRUE(IsEmpty(hidden->Pos()));
}

TEST(ContainerPlacementTest, FloatingChildWithNegativeOffsetSitsFromTheFarEdges) {
    TestWindow window;
    CContainerUI container;
    CControlUI* child = Floating(-10, -10, 20, 20);
    container.Add(child);
    window.Host().InitTree(&container);
    container.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ((RECT{70, 70, 90, 90}), child->Pos());
    // The offset stays relative to the far edges when the container grows.
    container.SetPos(RECT{0, 0, 150, 120});
    EXPECT_EQ((RECT{120, 90, 140, 110}), child->Pos());
}

TEST(ContainerPlacementTest, RelativeLayoutAppliesTheChangeSinceThePreviousPlacement) {
    TestWindow window;
    CContainerUI container;
    CControlUI* mover = Floating(10, 10, 20, 20);
    mover->SetRelativeLayout(50, 0, 0, 0);
    CControlUI* grower = Floating(10, 40, 20, 20);
    grower->SetRelativeLayout(0, 0, 100, 50);
    container.Add(mover);
    container.Add(grower);
    window.Host().InitTree(&container);

    container.SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ((RECT{10, 10, 30, 30}), mover->Pos());
    EXPECT_EQ((RECT{10, 40, 30, 60}), grower->Pos());

    container.SetPos(RECT{0, 0, 140, 120});
    EXPECT_EQ((RECT{30, 10, 50, 30}), mover->Pos());
    EXPECT_EQ((RECT{10, 40, 70, 70}), grower->Pos());

    // An unchanged container leaves both where the last placement put them.
    container.SetPos(RECT{0, 0, 140, 120});
    EXPECT_EQ((RECT{30, 10, 50, 30}), mover->Pos());
    EXPECT_EQ((RECT{10, 40, 70, 70}), grower->Pos());
}

TEST(ContainerFindTest, HitTestPrefersTheTopChildAndHonoursMouseChild) {
    CContainerUI container;
    CControlUI* below = Fixed(0, 0);
    CControlUI* above = Floating(0, 0, 30, 30);
    container.Add(below);
    container.Add(above);
    container.SetInset(RECT{5, 5, 5, 5});
    container.SetPos(RECT{0, 0, 100, 100});
    UINT flags = FindVisible | FindHitTest | FindTopFirst;
    POINT overlap = {20, 20};
    POINT inset = {2, 50};
    POINT floatingInInset = {2, 2};
    EXPECT_EQ(above, container.FindControl(ReturnSelf, &overlap, flags));
    EXPECT_EQ(below, container.FindControl(ReturnSelf, &overlap, FindVisible | FindHitTest));
    EXPECT_EQ(&container, container.FindControl(ReturnSelf, &inset, flags));
    EXPECT_EQ(above, container.FindControl(ReturnSelf, &floatingInInset, flags));
    container.SetMouseChildEnabled(false);
    EXPECT_EQ(&container, container.FindControl(ReturnSelf, &overlap, flags));
    POINT outside = {200, 200};
    EXPECT_EQ(nullptr, container.FindControl(ReturnSelf, &outside, flags));
}

TEST(ContainerFindTest, SearchOrderFollowsTheFlags) {
    CContainerUI root;
    CControlUI* a = Fixed(1, 1);
    auto* inner = new CContainerUI;
    CControlUI* b = Fixed(1, 1);
    inner->Add(b);
    root.Add(a);
    root.Add(inner);
    std::vector<CControlUI*> order;
    root.FindControl(CollectAll, &order, 0);
    EXPECT_EQ((std::vector<CControlUI*>{a, b, inner, &root}), order);
    order.clear();
    root.FindControl(CollectAll, &order, FindMeFirst | FindTopFirst);
    EXPECT_EQ((std::vector<CControlUI*>{&root, inner, b, a}), order);
    order.clear();
    inner->SetVisible(false);
    root.FindControl(CollectAll, &order, FindVisible);
    EXPECT_EQ((std::vector<CControlUI*>{a, &root}), order);
}

TEST(ContainerPaintTest, ChildrenAreCutAtTheInsetButFloatingChildrenAreNot) {
    TestWindow window;
    TestCanvas canvas(120, 120);
    CContainerUI container;
    CControlUI* flow = new CControlUI;
    flow->SetBackColor(0xFFFF0000);
    CControlUI* floating = Floating(0, 60, 30, 30);
    floating->SetBackColor(0xFF0000FF);
    container.Add(flow);
    container.Add(floating);
    container.SetInset(RECT{10, 10, 10, 10});
    container.SetPos(RECT{0, 0, 100, 100});
    flow->SetPos(RECT{0, 0, 50, 50});  // reaches into the inset
    container.Paint(canvas.DC(), RECT{0, 0, 120, 120});
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(5, 5));
    EXPECT_EQ(0xFF0000u, canvas.Pixel(15, 15));
    EXPECT_EQ(0x0000FFu, canvas.Pixel(5, 70));
}

TEST(ContainerPaintTest, NothingIsPaintedOutsideTheContainer) {
    TestWindow window;
    TestCanvas canvas(120, 120);
    CContainerUI container;
    CControlUI* floating = Floating(80, 80, 40, 40);
    floating->SetBackColor(0xFF00FF00);
    container.Add(floating);
    container.SetPos(RECT{0, 0, 100, 100});
    container.Paint(canvas.DC(), RECT{0, 0, 120, 120});
    EXPECT_EQ(0x00FF00u, canvas.Pixel(90, 90));
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(110, 110));
}

TEST(ContainerScrollTest, OverflowingContentShowsTheVerticalBarAndLaysOutAgain) {
    TestWindow window;
    CVerticalLayoutUI layout;
    CControlUI* a = Fixed(0, 150);
    CControlUI* b = Fixed(0, 170);
    b->SetVisible(false);
    layout.Add(a);
    layout.Add(b);
    layout.SetAttribute(L"vscrollbar", L"true");
    layout.SetScrollStepSize(30);
    window.Host().InitTree(&layout);
    // Content that fits: the bar is hidden and the child spans the whole width.
    layout.SetPos(RECT{0, 0, 100, 200});
    CScrollBarUI* bar = layout.VerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ((RECT{0, 0, 100, 150}), a->Pos());

    // 320 of content in 200: the hidden bar is shown with range 120, and the second layout it
    // triggers takes the bar's width off the children.
    b->SetVisible(true);
    layout.SetPos(RECT{0, 0, 100, 200});
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(120, bar->ScrollRange());
    EXPECT_EQ(0, bar->ScrollPos());
    EXPECT_EQ((RECT{84, 0, 100, 200}), bar->Pos());
    EXPECT_EQ((RECT{0, 0, 84, 150}), a->Pos());
    EXPECT_EQ((RECT{0, 150, 84, 320}), b->Pos());

    layout.ScrollLineDown();
    EXPECT_EQ(30, layout.ScrollPos().cy);
    EXPECT_EQ((RECT{0, -30, 84, 120}), a->Pos());
    UIEvent end;
    end.type = EventKeyDown;
    end.key = VK_END;
    layout.DispatchEvent(end);
    EXPECT_EQ(120, layout.ScrollPos().cy);
    EXPECT_EQ((RECT{0, 30, 84, 200}), b->Pos());
    layout.ScrollPageDown();  // clamped by the bar
    EXPECT_EQ(120, layout.ScrollPos().cy);

    // Content that fits again hides the bar and gives the width back.
    b->SetVisible(false);
    layout.SetPos(RECT{0, 0, 100, 200});
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, layout.ScrollRange().cy);
    EXPECT_EQ((RECT{0, 0, 100, 150}), a->Pos());
}

TEST(ContainerScrollTest, WithoutBarsScrollingChangesNothing) {
    CVerticalLayoutUI layout;
    CControlUI* a = Fixed(0, 500);
    layout.Add(a);
    layout.SetPos(RECT{0, 0, 100, 100});
    layout.ScrollLineDown();
    layout.ScrollToBottom();
    EXPECT_EQ(0, layout.ScrollPos().cy);
    EXPECT_EQ((RECT{0, 0, 100, 500}), a->Pos());
}
