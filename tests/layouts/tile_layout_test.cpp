#include "ui/controls/tile_layout.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/layouts/layouts_rig.h"
#include "ui/controls/scroll_bar.h"

namespace {

// Children from sizes such as "50x20*3 0x40" (width 0: none of its own; *3: three of them);
// "h" is a hidden child, "f" a floating one, "p" a 50 x 20 child with padding 10,6,0,4.
std::wstring Children(const std::wstring& sizes) {
    std::wistringstream in(sizes);
    std::wstring markup;
    for (std::wstring item; in >> item;) {
        size_t star = item.find(L'*');
        int count = star == std::wstring::npos ? 1 : std::stoi(item.substr(star + 1));
        item = item.substr(0, star);
        size_t x = item.find(L'x');
        std::wstring element = item == L"h"   ? L"<Control visible=\"false\"/>"
                               : item == L"f" ? L"<Control float=\"true\" pos=\"0,0,9,9\"/>"
                               : item == L"p" ? L"<Control width=\"50\" height=\"20\" padding=\"10,6,0,4\"/>"
                                              : L"<Control width=\"" + item.substr(0, x) + L"\" height=\"" +
                                                    item.substr(x + 1) + L"\"/>";
        for (int i = 0; i < count; ++i) {
            markup += element;
        }
    }
    return markup;
}

// A tile layout installed as the root and placed in 350 x `height`.
CTileLayoutUI* PlaceTiles(HostScope& scope, const std::wstring& attributes, const std::wstring& sizes,
                          int height = 300) {
    std::wstring markup =
        L"<Window><TileLayout " + attributes + L">" + Children(sizes) + L"</TileLayout></Window>";
    auto* tile =
        static_cast<CTileLayoutUI*>(InstallSkin(scope.Host(), markup.c_str())->CastTo(L"TileLayout"));
    tile->SetPos(RECT{0, 0, 350, height});
    return tile;
}

TEST(TileLayout, GridPlacementIn350Wide) {
    const std::wstring four = L"50x20*4";
    const std::wstring seven = L"50x40*3 50x20*2 50x30 50x10";  // rows 40, 30 and 10 high
    struct Case {
        const wchar_t* attributes;
        std::wstring sizes;
        int columns;
        int child;
        RECT expected;
    } const cases[] = {
        {L"itemsize=\"100,0\"", four, 3, 1, {149, 0, 199, 20}},  // columns 116 wide, 2 pixels left over
        {L"columns=\"4\" itemsize=\"100,40\"", four, 3, 3, {33, 20, 83, 40}},
        {L"columns=\"2\"", four, 2, 1, {237, 0, 287, 20}},
        {L"columns=\"3\"", L"50x20 50x40", 3, 0, {33, 10, 83, 30}},
        {L"columns=\"3\"", seven, 3, 5, {265, 40, 315, 70}},
        {L"columns=\"3\"", seven, 3, 6, {33, 70, 83, 80}},
        {L"columns=\"3\" childpadding=\"10\"", four, 3, 2, {267, 0, 317, 20}},
        {L"columns=\"3\" childpadding=\"10\"", four, 3, 3, {30, 30, 80, 50}},
        {L"columns=\"3\"", L"50x20 h f 50x20", 3, 3, {149, 0, 199, 20}},
        {L"columns=\"3\"", L"p", 3, 0, {38, 8, 88, 28}},
        {L"columns=\"3\"", L"0x20", 3, 0, {0, 0, 116, 20}},
        {L"itemsize=\"400,0\"", L"50x20 50x20", 1, 1, {150, 20, 200, 40}},
    };
    HostScope scope;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        CTileLayoutUI* tile = PlaceTiles(scope, c.attributes, c.sizes);
        EXPECT_EQ(c.columns, tile->Columns());
        EXPECT_EQ(c.expected, tile->ItemAt(c.child)->Pos());
    }
    CTileLayoutUI* tile = PlaceTiles(scope, L"columns=\"2\"", L"");
    tile->SetAttribute(L"columns", L"0");
    EXPECT_EQ(2, tile->Columns());
}

// Rows taller than the area bring the vertical bar, whose width the columns lose; placing the
// rows again keeps the scroll position; rows that fit again hide the bar.
TEST(TileLayout, OverflowingRowsShowTheVerticalBarAndScroll) {
    HostScope scope;
    CTileLayoutUI* tile = PlaceTiles(scope, L"columns=\"3\" vscrollbar=\"true\"", L"50x40*12", 100);
    CScrollBarUI* bar = tile->VerticalScrollBar();
    ASSERT_TRUE(bar && bar->IsVisible());
    EXPECT_EQ(60, bar->ScrollRange());
    int left = ((350 - bar->FixedWidth()) / 3 - 50) / 2;
    EXPECT_EQ((RECT{left, 0, left + 50, 40}), tile->ItemAt(0)->Pos());
    tile->SetScrollPos(SIZE{0, 60});
    tile->SetPos(tile->Pos());
    EXPECT_EQ((RECT{left, -60, left + 50, -20}), tile->ItemAt(0)->Pos());
    while (tile->Count() > 6) {
        tile->RemoveAt(0);
    }
    tile->SetPos(tile->Pos());
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ((RECT{33, 0, 83, 40}), tile->ItemAt(0)->Pos());
}

}  // namespace
