// Links of the text control: laid out by a mark-up paint, then hit by mouse events.

#include <string>

#include "tests/widgets/widget_fixture.h"
#include "ui/controls/label.h"

namespace {

constexpr RECT kItem = {0, 0, 390, 60};

POINT CentreOf(const RECT& rc) {
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// "{a l0}w0{/a} {a l1}w1{/a} ..." with `count` links.
std::wstring Links(int count) {
    std::wstring text;
    for (int i = 0; i < count; ++i) {
        text += L"{a l" + std::to_wstring(i) + L"}w" + std::to_wstring(i) + L"{/a} ";
    }
    return text;
}

}  // namespace

class TextTest : public WidgetTest {
protected:
    void PaintMarkup(CTextUI& text, const std::wstring& markup) {
        Attach(text, kItem);
        text.SetAttribute(L"showhtml", L"true");
        text.SetText(markup.c_str());
        TestCanvas canvas(400, 60);
        text.Paint(canvas.DC(), kItem);
    }
    void SendAt(CTextUI& text, int type, POINT point) { Send(text, type, point.x, point.y); }
};

TEST_F(TextTest, ButtonUpOverALinkSendsItsIndex) {
    CTextUI text;
    PaintMarkup(text, Links(3));
    ASSERT_EQ(3, text.LinkCount());
    EXPECT_EQ(UINT{ControlFlagSetCursor}, text.ControlFlags());
    EXPECT_EQ(CWideString(L"l2"), *text.LinkText(2));
    SendAt(text, EventButtonUp, CentreOf(text.LinkRect(2)));
    SendAt(text, EventButtonUp, POINT{kItem.right - 1, kItem.bottom - 1});
    ASSERT_EQ(1, Count(L"link"));
    EXPECT_EQ(2u, log.entries.back().wParam);

    text.SetEnabled(false);
    SendAt(text, EventButtonUp, CentreOf(text.LinkRect(2)));
    EXPECT_EQ(1, Count(L"link"));
    EXPECT_EQ(0u, text.ControlFlags());
}

TEST_F(TextTest, HoverFollowsTheMouseAndLeavingRepaintsOnce) {
    CTextUI text;
    PaintMarkup(text, Links(2));
    SendAt(text, EventMouseMove, CentreOf(text.LinkRect(1)));
    EXPECT_EQ(1, text.HoverLink());
    Window().Validate();
    SendAt(text, EventMouseLeave, POINT{-1, -1});
    EXPECT_EQ(-1, text.HoverLink());
    EXPECT_FALSE(IsEmpty(Window().UpdateRect()));
    Window().Validate();
    SendAt(text, EventMouseLeave, POINT{-1, -1});
    EXPECT_TRUE(IsEmpty(Window().UpdateRect()));
}

TEST_F(TextTest, OnlyEightLinksAreKept) {
    CTextUI text;
    PaintMarkup(text, Links(9));
    EXPECT_EQ(CTextUI::kMaxLinks, text.LinkCount());
    EXPECT_EQ(nullptr, text.LinkText(8));
}

TEST_F(TextTest, PlainTextForgetsTheLinksOfEarlierMarkup) {
    CTextUI text;
    PaintMarkup(text, Links(2));
    text.SetAttribute(L"showhtml", L"false");
    TestCanvas canvas(400, 60);
    text.Paint(canvas.DC(), kItem);
    EXPECT_EQ(0, text.LinkCount());
    EXPECT_EQ(0u, text.ControlFlags());
}
