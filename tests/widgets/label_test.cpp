#include "ui/controls/label.h"

#include <memory>

#include "tests/fuzz/guarded_block.h"
#include "tests/widgets/widget_fixture.h"
#include "ui/markup/control_factory.h"

namespace {

// Rows of the canvas inside the rectangle that hold at least one pixel `matching`.
template <typename Match>
int CountRows(const TestCanvas& canvas, const RECT& rc, Match matching) {
    int rows = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            if (matching(canvas.Pixel(x, y))) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

// Text is drawn anti-aliased: only the full strokes have the exact colour.
int RowsWithColor(const TestCanvas& canvas, const RECT& rc, DWORD rgb) {
    return CountRows(canvas, rc, [rgb](DWORD pixel) { return pixel == rgb; });
}

int RowsWithInk(const TestCanvas& canvas, const RECT& rc) {
    return CountRows(canvas, rc, [](DWORD pixel) { return pixel != 0xFFFFFF; });
}

}  // namespace

class LabelTest : public WidgetTest {};

TEST_F(LabelTest, TextStyleFromDefaultsAndAlignment) {
    struct Case {
        const wchar_t* element;
        const wchar_t* attributes;
        UINT style;
    } cases[] = {
        {L"Label", L"align=\"center\"", DT_VCENTER | DT_CENTER},
        {L"Label", L"valign=\"vcenter\" align=\"left\"", DT_VCENTER},
        {L"Label", L"valign=\"bottom\" align=\"right\"", DT_BOTTOM | DT_RIGHT},
        {L"Label", L"valign=\"top\" endellipsis=\"true\"", DT_SINGLELINE | DT_END_ELLIPSIS},
        {L"Text", L"align=\"center\"", DT_WORDBREAK | DT_CENTER},
        {L"Progress", L"", DT_SINGLELINE | DT_CENTER},
        {L"Button", L"", DT_SINGLELINE | DT_VCENTER | DT_CENTER},
        {L"Button", L"multiline=\"true\"", DT_WORDBREAK | DT_VCENTER | DT_CENTER},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CControlUI> control(CreateControlForElement(c.element));
        auto* label = static_cast<CLabelUI*>(control ? control->CastTo(L"Label") : nullptr);
        ASSERT_NE(nullptr, label) << c.element;
        label->ApplyAttributeText(c.attributes);
        EXPECT_EQ(c.style, label->TextStyle()) << c.element << " " << c.attributes;
    }
}

TEST_F(LabelTest, ShortTextPaddingIsReadUpToItsEnd) {
    GuardedBlock block(64);
    const wchar_t value[] = L"3,0,5";
    std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(value),
                               reinterpret_cast<const uint8_t*>(value) + sizeof(value));
    CLabelUI label;
    label.SetAttribute(L"textpadding", reinterpret_cast<const wchar_t*>(block.Place(bytes)));
    EXPECT_EQ((RECT{3, 0, 5, 0}), label.TextPadding());
}

TEST_F(LabelTest, AutoWidthAddsThePaddingToTheMeasuredText) {
    HDC dc = Host().PaintDC();
    HGDIOBJ old = SelectObject(dc, Host().FontAt(-1));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, L"Hello world", 11, &extent);
    SelectObject(dc, old);
    const int fontHeight = Host().FontInfoAt(-1).metrics.tmHeight;

    CLabelUI label;
    CTextUI text;
    CLabelUI* controls[] = {&label, &text};
    const SIZE expected[] = {{8 + extent.cx, fontHeight + 4}, {8 + extent.cx, 0}};
    for (int i = 0; i < 2; ++i) {
        Attach(*controls[i], RECT{0, 0, 10, 10});
        controls[i]->ApplyAttributeText(
            L"autocalcwidth=\"true\" textpadding=\"3,0,5,0\" text=\"Hello world\"");
        SIZE size = controls[i]->MeasureSize(SIZE{400, 200});
        EXPECT_EQ(expected[i].cx, size.cx) << controls[i]->ClassName();
        EXPECT_EQ(expected[i].cy, size.cy) << controls[i]->ClassName();
    }
}

TEST_F(LabelTest, LabelDrawsOneLineWhereTextWraps) {
    const RECT item = {0, 0, 60, 120};
    CLabelUI label;
    CTextUI text;
    CLabelUI* controls[] = {&label, &text};
    const bool wraps[] = {false, true};
    const int lineHeight = Host().FontInfoAt(-1).metrics.tmHeight;
    for (int i = 0; i < 2; ++i) {
        Attach(*controls[i], item);
        controls[i]->ApplyAttributeText(
            L"valign=\"vcenter\" align=\"left\" textcolor=\"#FFFF0000\" "
            L"text=\"one two three four five six\"");
        TestCanvas canvas(60, 120);
        controls[i]->Paint(canvas.DC(), item);
        EXPECT_EQ(wraps[i], RowsWithInk(canvas, item) > lineHeight) << controls[i]->ClassName();
    }
}

TEST_F(LabelTest, EnabledAndDisabledColours) {
    const RECT item = {0, 0, 120, 30};
    struct Case {
        bool enabled;
        const wchar_t* attributes;
        DWORD rgb;
    } cases[] = {
        {true, L"textcolor=\"#FFFF0000\"", 0xFF0000},
        {false, L"textcolor=\"#FFFF0000\"", 0xA7A6AA},  // the host's disabled colour
        {false, L"disabledtextcolor=\"#FF00FF00\"", 0x00FF00},
    };
    for (const Case& c : cases) {
        CLabelUI label;
        Attach(label, item);
        label.ApplyAttributeText(c.attributes);
        label.SetText(L"Mmmm");
        label.SetEnabled(c.enabled);
        TestCanvas canvas(120, 30);
        label.Paint(canvas.DC(), item);
        EXPECT_GT(RowsWithColor(canvas, item, c.rgb), 0) << c.rgb;
    }
}

TEST_F(LabelTest, EffectSwitchKeepsTheCaptionApartAndDrawsNothing) {
    const RECT item = {0, 0, 120, 30};
    CLabelUI label;
    Attach(label, item);
    label.ApplyAttributeText(
        L"text=\"shown\" textcolor=\"#FFFF0000\" enabledeffect=\"true\" transtext=\"99\"");
    label.SetText(L"effect");
    EXPECT_EQ(CWideString(L"effect"), label.Text());
    EXPECT_EQ(CWideString(L"shown"), label.CControlUI::Text());
    ASSERT_NE(nullptr, label.Effects());
    EXPECT_EQ(99, label.Effects()->transText);
    TestCanvas canvas(120, 30);
    label.Paint(canvas.DC(), item);
    EXPECT_EQ(0, RowsWithColor(canvas, item, 0xFF0000));
}
