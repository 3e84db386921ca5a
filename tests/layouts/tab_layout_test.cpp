#include "ui/controls/tab_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/layouts/layouts_rig.h"
#include "ui/controls/layouts.h"
#include "ui/markup/skin_builder.h"

namespace {

// "1" for each shown page, "0" for each hidden one.
std::wstring Shown(CTabLayoutUI& tab) {
    std::wstring shown;
    for (int i = 0; i < tab.Count(); ++i) {
        shown += tab.ItemAt(i)->IsVisible() ? L'1' : L'0';
    }
    return shown;
}

// Freed storage is poisoned, so any use after deletion crashes.
class PoisonedTab : public CTabLayoutUI {
public:
    static void* operator new(std::size_t size) { return std::malloc(size); }
    static void operator delete(void* p, std::size_t size) { std::memset(p, 0x5A, size); }
};

// Pages "p0".."p2", each holding a tab stop "s0".."s2", in a tab layout inside the root.
struct TabRig {
    explicit TabRig(HostScope& scope) : host(scope.Host()) {
        root->SetDelayedDestroy(false);
        root->Add(tab);
        for (std::wstring n : {L"0", L"1", L"2"}) {
            auto* page = new CVerticalLayoutUI;
            page->SetName((L"p" + n).c_str());
            page->Add(new TabStop((L"s" + n).c_str()));
            tab->Add(page);
        }
        host.AttachRoot(root);
        host.AddNotifyListener(&log);
        PaintNow(scope.Window());
    }
    ~TabRig() { host.RemoveNotifyListener(&log); }
    std::wstring Focus() const {
        return host.FocusedControl() ? host.FocusedControl()->Name().GetData() : L"-";
    }

    CWindowHostUI& host;
    CVerticalLayoutUI* root = new CVerticalLayoutUI;
    CTabLayoutUI* tab = new PoisonedTab;
    NoteLog log;
};

TEST(TabLayout, FirstVisibleChildIsThePageAndOthersComeHidden) {
    CTabLayoutUI tab;
    auto* hidden = new CControlUI;
    hidden->SetVisible(false);
    for (CControlUI* child : {hidden, new CControlUI, new CControlUI}) {
        tab.Add(child);
    }
    tab.AddAt(new CControlUI, 0);  // before the page: the selection follows its page
    tab.AddAt(new CControlUI, 4);
    EXPECT_EQ(2, tab.CurrentPage());
    EXPECT_EQ(L"00100", Shown(tab));

    CTabLayoutUI hiddenTab;  // a hidden layout still selects the first page it is given
    hiddenTab.SetVisible(false);
    hiddenTab.Add(new CControlUI);
    hiddenTab.SetVisible(true);
    EXPECT_EQ(L"1", Shown(hiddenTab));
}

// From markup the pages have their attributes when the layout takes them.
TEST(TabLayout, MarkupHiddenFirstPageIsNotSelectedButSelectedIdWins) {
    const struct {
        const wchar_t* markup;
        int page;
        const wchar_t* shown;
    } cases[] = {
        {L"<W><TabLayout><Control visible=\"false\"/><Control/><Control/></TabLayout></W>", 1, L"010"},
        {L"<W><TabLayout selectedid=\"2\"><Control visible=\"false\"/><Control/><Control/></TabLayout></W>", 2,
         L"001"},
    };
    for (const auto& c : cases) {
        CControlUI* root = CSkinBuilder().Build(c.markup, nullptr, nullptr, nullptr);
        auto* tab = root ? static_cast<CTabLayoutUI*>(root->CastTo(L"TabLayout")) : nullptr;
        ASSERT_NE(nullptr, tab) << c.markup;
        EXPECT_EQ(c.page, tab->CurrentPage()) << c.markup;
        EXPECT_EQ(std::wstring(c.shown), Shown(*tab)) << c.markup;
        delete root;
    }
}

TEST(TabLayout, ShowPageNotifiesAndTabsIntoThePage) {
    HostScope scope;
    TabRig rig(scope);
    EXPECT_EQ(L"s0", rig.Focus());
    EXPECT_TRUE(rig.tab->ShowPage(2));
    EXPECT_EQ(L"001", Shown(*rig.tab));
    PaintNow(scope.Window());  // the focus moves on like a Tab once the page is laid out
    EXPECT_EQ(L"s2", rig.Focus());
    CControlUI foreign;
    EXPECT_TRUE(rig.tab->ShowPage(2));
    EXPECT_FALSE(rig.tab->ShowPage(3) || rig.tab->ShowPage(-1) || rig.tab->ShowPageOf(&foreign));
    EXPECT_TRUE(rig.tab->ShowPageOf(rig.tab->ItemAt(1)));
    EXPECT_EQ(L"2,0;1,2;", rig.log.text);
}

TEST(TabLayout, MarkupSelectsAPageAnchoredInTheInnerAreaLessItsPadding) {
    HostScope scope;
    SetWindowPos(scope.Window(), nullptr, 0, 0, 220, 120, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    auto* tab = static_cast<CTabLayoutUI*>(
        InstallSkin(scope.Host(),
                    L"<Window><TabLayout inset=\"10,10,10,10\" selectedid=\"1\"><Control "
                    L"padding=\"4,4,4,4\"/><Control padding=\"4,4,4,4\" width=\"50\"/></TabLayout></Window>")
            ->CastTo(L"TabLayout"));
    PaintNow(scope.Window());
    EXPECT_EQ(L"01", Shown(*tab));
    EXPECT_EQ((RECT{14, 14, 64, 106}), tab->ItemAt(1)->Pos());
    tab->SetAttribute(L"selectedid", L"0");
    tab->SetAttribute(L"selectedid", L"5");
    PaintNow(scope.Window());
    EXPECT_EQ((RECT{14, 14, 206, 106}), tab->ItemAt(0)->Pos());
}

// A click on a button bound to the layout by name selects the bound page after "click".
TEST(TabLayout, BoundButtonSelectsItsPage) {
    HostScope scope;
    SetWindowPos(scope.Window(), nullptr, 0, 0, 200, 100, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    NoteLog log;
    scope.Host().AddNotifyListener(&log);
    CControlUI* root =
        InstallSkin(scope.Host(),
                    L"<Window><VerticalLayout><Button height=\"20\" "
                    L"bindtablayoutname=\"tabs\" bindtabindex=\"1\"/><TabLayout "
                    L"name=\"tabs\"><Control/><Control/></TabLayout></VerticalLayout></Window>");
    PaintNow(scope.Window());
    SendMessageW(scope.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(scope.Window(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    scope.Host().RemoveNotifyListener(&log);
    EXPECT_EQ(L"click;1,0;", log.text);
    EXPECT_EQ(L"01", Shown(*static_cast<CTabLayoutUI*>(ContainerOf(root)->ItemAt(1)->CastTo(L"TabLayout"))));
}

// Pages selected while a skin is built leave the focus alone: that tree may never be installed.
TEST(TabLayout, SelectingInABuildingTreeKeepsTheFocus) {
    HostScope scope;
    TabRig rig(scope);
    CSkinBuilder builder;
    delete builder.Build(L"<W><TabLayout selectedid=\"1\"><Control/><Control/></TabLayout></W>", nullptr,
                         nullptr, &rig.host);
    EXPECT_EQ(L"s0", rig.Focus());
}

// Removing or moving children keeps the selection on its page; a removed page hands it to
// page 0, the last one leaves none. Every state is painted.
TEST(TabLayout, SelectionFollowsItsPageThroughRemovalAndMoves) {
    enum Op { Remove, RemoveAt, Move, Empty };
    struct Case {
        int selected;
        Op op;
        int index;
        int to;
        int expected;
    } const cases[] = {
        {1, Remove, 1, 0, 0}, {2, Remove, 0, 0, 1},   {1, RemoveAt, 1, 0, 0}, {0, RemoveAt, 2, 0, 0},
        {2, Move, 2, 0, 0},   {1, Move, 0, 2, 0},     {0, Move, 2, 0, 1},     {1, Move, 1, 3, 1},
        {1, Move, 2, 1, 2},   {1, RemoveAt, 7, 0, 1}, {2, Empty, 0, 0, -1},
    };
    HostScope scope;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        TabRig rig(scope);
        rig.tab->ShowPage(c.selected);
        CControlUI* page = rig.tab->ItemAt(c.selected);
        CControlUI* child = rig.tab->ItemAt(c.index);
        if (c.op == Remove) {
            rig.tab->Remove(child);
        } else if (c.op == RemoveAt) {
            rig.tab->RemoveAt(c.index);
        } else if (c.op == Move) {
            rig.tab->SetItemIndex(child, c.to);
        } else {
            for (int i = 2; i >= 0; --i) {
                rig.tab->RemoveAt(i);
            }
        }
        EXPECT_EQ(c.expected, rig.tab->CurrentPage());
        if (c.expected >= 0 && (child != page || c.op == Move)) {
            EXPECT_EQ(page, rig.tab->ItemAt(c.expected));
        }
        std::wstring shown(rig.tab->Count(), L'0');
        if (c.expected >= 0) {
            shown[c.expected] = L'1';
        }
        EXPECT_EQ(shown, Shown(*rig.tab));
        PaintNow(scope.Window());
    }
}

// A "setfocus" listener that deletes the tab layout ends the page change: no "tabselect", and
// nothing touches the freed layout.
TEST(TabLayout, ListenerDeletingTheLayoutDuringAPageChange) {
    HostScope scope;
    TabRig rig(scope);
    static CVerticalLayoutUI* root;
    root = rig.root;
    rig.log.onNote = [](NotifyMsg& msg) {
        if (msg.type == L"setfocus" && msg.sender->Name() == L"p1") {
            root->RemoveAt(0);
        }
    };
    EXPECT_TRUE(rig.tab->ShowPage(1));
    EXPECT_EQ(0, root->Count());
    EXPECT_EQ(L"", rig.log.text);
    PaintNow(scope.Window());
}

}  // namespace
