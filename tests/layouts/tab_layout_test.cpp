#include "ui/controls/tab_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/layouts/layouts_rig.h"
#include "ui/controls/layouts.h"

namespace {

// "1" for each shown page, "0" for each hidden one.
std::wstring Shown(CTabLayoutUI& tab) {
    std::wstring shown;
    for (int i = 0; i < tab.Count(); ++i) {
        shown += tab.ItemAt(i)->IsVisible() ? L'1' : L'0';
    }
    return shown;
}

// A tab layout whose freed storage is poisoned, so any use after its deletion crashes.
class PoisonedTab : public CTabLayoutUI {
public:
    static void* operator new(std::size_t size) { return std::malloc(size); }
    static void operator delete(void* p, std::size_t size) { std::memset(p, 0x5A, size); }
};

// Three pages "p0".."p2", each holding a tab stop "s0".."s2", in a tab layout inside the root.
struct TabRig {
    explicit TabRig(HostScope& scope) : host(scope.Host()) {
        root->SetDelayedDestroy(false);
        root->Add(tab);
        tab->SetName(L"t");
        for (const wchar_t* name : {L"0", L"1", L"2"}) {
            auto* page = new CVerticalLayoutUI;
            page->SetName((std::wstring(L"p") + name).c_str());
            page->Add(new TabStop((std::wstring(L"s") + name).c_str()));
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

TEST(TabLayout, FirstVisibleChildBecomesThePageAndLaterChildrenAreHidden) {
    CTabLayoutUI tab;
    auto* hidden = new CControlUI;
    hidden->SetVisible(false);
    tab.Add(hidden);
    EXPECT_EQ(-1, tab.CurrentPage());
    tab.Add(new CControlUI);
    tab.Add(new CControlUI);
    EXPECT_EQ(L"010", Shown(tab));
    tab.AddAt(new CControlUI, 0);  // before the page: the selection follows it
    tab.AddAt(new CControlUI, 4);
    EXPECT_EQ(2, tab.CurrentPage());
    EXPECT_EQ(L"00100", Shown(tab));

    // A tab layout that is hidden itself still selects the first page it is given.
    CTabLayoutUI hiddenTab;
    hiddenTab.SetVisible(false);
    hiddenTab.Add(new CControlUI);
    hiddenTab.Add(new CControlUI);
    hiddenTab.SetVisible(true);
    EXPECT_EQ(L"10", Shown(hiddenTab));
}

TEST(TabLayout, ShowPageSwitchesPagesNotifiesAndFocusesThePagesFirstTabStop) {
    HostScope scope;
    TabRig rig(scope);
    EXPECT_EQ(L"s0", rig.Focus());
    EXPECT_TRUE(rig.tab->ShowPage(2));
    EXPECT_EQ(L"001", Shown(*rig.tab));
    EXPECT_EQ(L"tabselect t 2,0;", rig.log.text);
    PaintNow(scope.Window());  // the focus moves on like a Tab once the new page is laid out
    EXPECT_EQ(L"s2", rig.Focus());

    EXPECT_TRUE(rig.tab->ShowPage(2));
    EXPECT_FALSE(rig.tab->ShowPage(3));
    EXPECT_FALSE(rig.tab->ShowPage(-1));
    CControlUI foreign;
    EXPECT_FALSE(rig.tab->ShowPageOf(&foreign));
    EXPECT_EQ(L"tabselect t 2,0;", rig.log.text);
    EXPECT_TRUE(rig.tab->ShowPageOf(rig.tab->ItemAt(1)));
    EXPECT_EQ(L"tabselect t 2,0;tabselect t 1,2;", rig.log.text);
}

TEST(TabLayout, MarkupSelectsAPageThatFillsTheInnerAreaLessItsPadding) {
    HostScope scope;
    SetWindowPos(scope.Window(), nullptr, 0, 0, 220, 120, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    CControlUI* root = InstallSkin(scope.Host(),
                                   L"<Window><TabLayout name=\"t\" inset=\"10,10,10,10\" "
                                   L"selectedid=\"1\"><Control padding=\"4,4,4,4\"/>"
                                   L"<Control padding=\"4,4,4,4\" width=\"50\"/></TabLayout></Window>");
    auto* tab = static_cast<CTabLayoutUI*>(root->CastTo(L"TabLayout"));
    ASSERT_NE(nullptr, tab);
    PaintNow(scope.Window());
    EXPECT_EQ(L"01", Shown(*tab));
    EXPECT_EQ((RECT{14, 14, 64, 106}), tab->ItemAt(1)->Pos());
    tab->SetAttribute(L"selectedid", L"0");
    PaintNow(scope.Window());
    EXPECT_EQ((RECT{14, 14, 206, 106}), tab->ItemAt(0)->Pos());
    tab->SetAttribute(L"selectedid", L"5");
    EXPECT_EQ(0, tab->CurrentPage());
}

// Removing or moving children keeps the selection on its page; a removed page hands it to page 0.
TEST(TabLayout, SelectionFollowsItsPageThroughRemovalAndMoves) {
    enum Op { Remove, RemoveAt, Move };
    struct Case {
        int selected;
        Op op;
        int index;
        int to;
        int expected;  // selection afterwards
    } const cases[] = {
        {1, Remove, 1, 0, 0}, {2, Remove, 0, 0, 1},   {1, RemoveAt, 1, 0, 0}, {0, RemoveAt, 2, 0, 0},
        {2, Move, 2, 0, 0},   {1, Move, 0, 2, 0},     {0, Move, 2, 0, 1},     {1, Move, 1, 3, 1},
        {1, Move, 2, 1, 2},   {1, RemoveAt, 7, 0, 1},
    };
    HostScope scope;
    for (const Case& c : cases) {
        TabRig rig(scope);
        rig.tab->ShowPage(c.selected);
        CControlUI* page = rig.tab->ItemAt(c.selected);
        CControlUI* child = rig.tab->ItemAt(c.index);
        if (c.op == Remove) {
            rig.tab->Remove(child);
        } else if (c.op == RemoveAt) {
            rig.tab->RemoveAt(c.index);
        } else {
            rig.tab->SetItemIndex(child, c.to);
        }
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(c.expected, rig.tab->CurrentPage());
        if (child != page || c.op == Move) {
            EXPECT_EQ(page, rig.tab->ItemAt(c.expected));
        }
        std::wstring shown(rig.tab->Count(), L'0');
        shown[c.expected] = L'1';
        EXPECT_EQ(shown, Shown(*rig.tab));
        PaintNow(scope.Window());
    }
}

TEST(TabLayout, EmptiedLayoutHasNoPageToShow) {
    HostScope scope;
    TabRig rig(scope);
    rig.tab->ShowPage(2);
    while (rig.tab->Count() > 0) {
        rig.tab->RemoveAt(rig.tab->Count() - 1);
        PaintNow(scope.Window());
    }
    EXPECT_EQ(-1, rig.tab->CurrentPage());
    EXPECT_FALSE(rig.tab->ShowPage(0));
    rig.tab->Add(new CControlUI);
    EXPECT_EQ(0, rig.tab->CurrentPage());
    rig.tab->RemoveAll();
    EXPECT_EQ(-1, rig.tab->CurrentPage());
    PaintNow(scope.Window());
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
