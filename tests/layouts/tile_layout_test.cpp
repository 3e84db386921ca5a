#include "ui/controls/tile_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/layouts/layouts_rig.h"
#include "ui/controls/scroll_bar.h"

namespace {

const wchar_t kSmall[] = L"<Control width=\"50\" height=\"20\"/>";

std::wstring Repeat(const wchar_t* element, int count) {
    std::wstring text;
    for (int i = 0; i < count; ++i) {
        text += element;
    }
    return text;
}

// The tile layout of `markup` (attributes and children of the TileLayout element) installed as
// the root and placed in 350 x `height`.
CTileLayoutUI* PlaceTiles(HostScope& scope, const std::wstring& attributes, const std::wstring& children,
                          int height = 300) {
    std::wstring markup = L"<Window><TileLayout " + attributes + L">" + children + L"</TileLayout></Window>";
    CControlUI* root = InstallSkin(scope.Host(), markup.c_str());
    auto* tile = static_cast<CTileLayoutUI*>(root->CastTo(L"TileLayout"));
    if (tile) {
        tile->SetPos(RECT{0, 0, 350, height});
    }
    return tile;
}

TEST(TileLayout, GridPlacementIn350Wide) {
    struct Case {
        std::wstring attributes;
        std::wstring children;
        int columns;
        int child;
        RECT expected;
    } const cases[] = {
        // Columns of 350 / 3 = 116, two pixels left over; a 50 x 20 child is centred.
        {L"itemsize=\"100,0\"", Repeat(kSmall, 4), 3, 1, {149, 0, 199, 20}},
        {L"itemsize=\"100,0\"", Repeat(kSmall, 4), 3, 3, {33, 20, 83, 40}},
        {L"columns=\"4\" itemsize=\"100,40\"", Repeat(kSmall, 4), 3, 3, {33, 20, 83, 40}},
        {L"columns=\"2\"", Repeat(kSmall, 2), 2, 1, {237, 0, 287, 20}},
        // Rows of 3, 3 and 1, each as tall as its tallest member: 40, 30, 10.
        {L"columns=\"3\"",
         kSmall + std::wstring(L"<Control width=\"50\" height=\"40\"/>") + kSmall + Repeat(kSmall, 2) +
             L"<Control width=\"50\" height=\"30\"/><Control width=\"50\" height=\"10\"/>",
         3,
         0,
         {33, 10, 83, 30}},
        {L"columns=\"3\"",
         Repeat(L"<Control width=\"50\" height=\"40\"/>", 3) + Repeat(kSmall, 2) +
             L"<Control width=\"50\" height=\"30\"/><Control width=\"50\" height=\"10\"/>",
         3,
         6,
         {33, 70, 83, 80}},
        // Child padding 10: half of it between a cell and each neighbouring column.
        {L"columns=\"3\" childpadding=\"10\"", Repeat(kSmall, 4), 3, 0, {30, 0, 80, 20}},
        {L"columns=\"3\" childpadding=\"10\"", Repeat(kSmall, 4), 3, 2, {267, 0, 317, 20}},
        {L"columns=\"3\" childpadding=\"10\"", Repeat(kSmall, 4), 3, 3, {30, 30, 80, 50}},
        // Hidden and floating children take no cell.
        {L"columns=\"3\"",
         kSmall + std::wstring(L"<Control visible=\"false\"/><Control float=\"true\" pos=\"0,0,9,9\"/>") +
             kSmall,
         3,
         3,
         {149, 0, 199, 20}},
        // The member's padding narrows its cell and adds to the row band.
        {L"columns=\"3\"",
         L"<Control width=\"50\" height=\"20\" padding=\"10,6,0,4\"/>",
         3,
         0,
         {38, 8, 88, 28}},
        // Without a width of its own a child fills its cell's width.
        {L"columns=\"3\"", L"<Control height=\"20\"/>", 3, 0, {0, 0, 116, 20}},
        // An item wider than the area still leaves one column.
        {L"itemsize=\"400,0\"", Repeat(kSmall, 2), 1, 1, {150, 20, 200, 40}},
    };
    HostScope scope;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        CTileLayoutUI* tile = PlaceTiles(scope, c.attributes, c.children);
        ASSERT_NE(nullptr, tile);
        EXPECT_EQ(c.columns, tile->Columns());
        EXPECT_EQ(c.expected, tile->ItemAt(c.child)->Pos());
    }
}

TEST(TileLayout, ColumnsBelowOneAreIgnored) {
    HostScope scope;
    CTileLayoutUI* tile = PlaceTiles(scope, L"columns=\"2\"", kSmall);
    tile->SetAttribute(L"columns", L"0");
    tile->SetAttribute(L"columns", L"-3");
    EXPECT_EQ(2, tile->Columns());
}

// Rows taller than the area bring the vertical bar, whose width the columns then lose; the
// layout keeps the scroll position when it places the rows again.
TEST(TileLayout, OverflowingRowsShowTheVerticalBarAndScroll) {
    HostScope scope;
    CTileLayoutUI* tile = PlaceTiles(scope, L"columns=\"3\" vscrollbar=\"true\"",
                                     Repeat(L"<Control width=\"50\" height=\"40\"/>", 12), 100);
    CScrollBarUI* bar = tile->VerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(60, bar->ScrollRange());
    int column = (350 - bar->FixedWidth()) / 3;
    EXPECT_EQ((RECT{(column - 50) / 2, 0, (column - 50) / 2 + 50, 40}), tile->ItemAt(0)->Pos());
    tile->SetScrollPos(SIZE{0, 60});
    tile->SetPos(tile->Pos());
    EXPECT_EQ(-60, tile->ItemAt(0)->Pos().top);
    EXPECT_EQ(100, tile->ItemAt(11)->Pos().bottom);

    while (tile->Count() > 6) {
        tile->RemoveAt(0);
    }
    tile->SetPos(tile->Pos());
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ((RECT{33, 0, 83, 40}), tile->ItemAt(0)->Pos());
}

}  // namespace
