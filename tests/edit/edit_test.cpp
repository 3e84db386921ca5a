#include "ui/controls/edit.h"

#include <string>
#include <vector>

#include "tests/edit/edit_rig.h"
#include "ui/controls/edit_window.h"

namespace {

constexpr POINT kInField = {100, 15};     // the field is the first 30 pixels of the layout
constexpr POINT kElsewhere = {100, 120};  // the plain control below it

// Keys typed into the focused window: characters as the keyboard's WM_CHAR, "\r" as the
// Return key going down.
void Type(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) {
        PostMessageW(GetFocus(), *p == L'\r' ? WM_KEYDOWN : WM_CHAR, *p, 1);
    }
    RunQueue();
}

class Recorder : public INotifyUI {
public:
    void HandleNotification(NotifyMsg& msg) override {
        if (msg.type == L"textchanged" || msg.type == L"return") {
            log.push_back(std::wstring(msg.type.GetData()) + L":" + msg.sender->Text().GetData());
        }
        if (deleteOn == msg.type.GetData()) {
            delete msg.sender;
        }
    }
    std::vector<std::wstring> log;
    std::wstring deleteOn;
};

}  // namespace

class EditTest : public testing::Test {
protected:
    void SetUp() override { SharedWindow().Host().AddNotifyListener(&recorder); }
    void TearDown() override {
        SharedWindow().Host().RemoveNotifyListener(&recorder);
        InstallSkin(L"");  // closes any box left open and deletes the tree
    }
    CEditUI* Install(const wchar_t* attributes) {
        InstallSkin(std::wstring(L"<Edit name=\"field\" height=\"30\" ") + attributes +
                    L"/><Control name=\"elsewhere\"/>");
        return Find<CEditUI>(L"field", L"Edit");
    }

    Recorder recorder;
};

TEST_F(EditTest, TypingCopiesEachChangeBackAndReturnIsReported) {
    CEditUI* edit = Install(L"text=\"x\"");
    ASSERT_NE(nullptr, edit);
    Click(kInField.x, kInField.y);
    HWND box = edit->EditWindowHandle();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(box, GetFocus());
    EXPECT_EQ(SharedWindow().Handle(), GetParent(box));
    EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & WS_CHILD);
    RECT placed;
    GetWindowRect(box, &placed);
    MapWindowPoints(nullptr, SharedWindow().Handle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(edit->EditRect(), placed);

    Type(L"ab\r");  // the click selected "x", so "a" replaces it
    EXPECT_EQ((std::vector<std::wstring>{L"textchanged:a", L"textchanged:ab", L"return:ab"}), recorder.log);

    Click(kElsewhere.x, kElsewhere.y);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(nullptr, edit->EditWindow());
    EXPECT_EQ(L"ab", std::wstring(edit->Text().GetData()));
}

TEST_F(EditTest, BoxSettingsLimitWhatTypingChanges) {
    struct Case {
        const wchar_t* attributes;
        const wchar_t* typed;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"numberonly=\"true\"", L"a1b2", L"12"},
        {L"maxchar=\"3\"", L"abcd", L"abc"},
        {L"readonly=\"true\" text=\"keep\"", L"zz", L"keep"},
    };
    for (const Case& c : cases) {
        CEditUI* edit = Install(c.attributes);
        ASSERT_NE(nullptr, edit);
        edit->SetFocus();
        ASSERT_NE(nullptr, edit->EditWindowHandle());
        Type(c.typed);
        EXPECT_EQ(std::wstring(c.text), edit->Text().GetData()) << c.attributes;
    }
}

TEST_F(EditTest, PasswordAndTipValueAreWhatIsPainted) {
    // Each pair paints the same pixels: the field as the user sees it, and a plain field with
    // the text it should show.
    struct Case {
        const wchar_t* field;
        const wchar_t* same;
    };
    const Case cases[] = {
        {L"password=\"true\" text=\"abc\"", L"text=\"***\""},
        {L"password=\"true\" passwordchar=\"#\" text=\"ab\"", L"text=\"##\""},
        {L"tipvalue=\"hint\"", L"text=\"hint\" textcolor=\"#FFBAC0C5\""},
        {L"tipvalue=\"hint\" text=\"hint\"", L"text=\"hint\" textcolor=\"#FFBAC0C5\""},
    };
    for (const Case& c : cases) {
        std::vector<DWORD> shown = PaintPixels(*Install(c.field));
        std::vector<DWORD> expected = PaintPixels(*Install(c.same));
        EXPECT_EQ(expected, shown) << c.field;
    }
    // And the text itself is not what a password field shows.
    EXPECT_NE(PaintPixels(*Install(L"text=\"abc\"")),
              PaintPixels(*Install(L"password=\"true\" text=\"abc\"")));

    CEditUI* edit = Install(L"password=\"true\" passwordchar=\"#\"");
    edit->SetFocus();
    HWND box = edit->EditWindowHandle();
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(L'#', static_cast<wchar_t>(SendMessageW(box, EM_GETPASSWORDCHAR, 0, 0)));
}

TEST_F(EditTest, DeletingTheFieldWithItsBoxOpenClosesTheBox) {
    using PoisonedEdit = Poisoned<CEditUI>;
    CWindowHostUI& host = SharedWindow().Host();
    InstallSkin(L"");
    // Directly, and from a listener of the box's own "textchanged" while the system edit
    // procedure is still below on the stack.
    for (const wchar_t* deleteOn : {L"", L"textchanged"}) {
        auto* edit = new PoisonedEdit;
        host.InitTree(edit);
        edit->SetPos(RECT{0, 0, 200, 30});
        edit->SetFocus();
        HWND box = edit->EditWindowHandle();
        ASSERT_NE(nullptr, box);
        recorder.deleteOn = deleteOn;
        if (*deleteOn) {
            Type(L"a");
        } else {
            delete edit;
        }
        RunQueue();
        EXPECT_FALSE(IsWindow(box)) << deleteOn;
        EXPECT_TRUE(PoisonedEdit::HoldsOnlyPoison()) << deleteOn;
        EXPECT_EQ(nullptr, host.FocusedControl());
    }
}

TEST_F(EditTest, OnALayeredWindowTheBoxIsAPopupThatFollowsItsFieldUntilItIsHidden) {
    CWindowHostUI& host = SharedWindow().Host();
    CEditUI* edit = Install(L"");
    host.SetLayeredPaint(true);
    edit->SetFocus();
    HWND box = edit->EditWindowHandle();
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & WS_POPUP);
    RECT window;
    GetWindowRect(SharedWindow().Handle(), &window);
    for (RECT pos : {RECT{0, 0, 320, 30}, RECT{40, 100, 200, 140}}) {
        edit->SetPos(pos);
        RECT expected = edit->EditRect();
        OffsetRect(&expected, window.left, window.top);
        RECT placed;
        GetWindowRect(box, &placed);
        EXPECT_EQ(expected, placed);
    }
    host.SetLayeredPaint(false);
    edit->SetVisible(false);  // hiding the field takes its focus, and the box closes
    RunQueue();
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(nullptr, edit->EditWindow());
}

TEST(EditGeometryTest, TheBoxIsCentredWhenTheFontIsLowerThanTheField) {
    const struct {
        RECT padded;
        int fontHeight;
        RECT box;
    } cases[] = {
        {{4, 3, 96, 27}, 16, {4, 7, 96, 23}},
        {{4, 3, 96, 28}, 16, {4, 7, 96, 23}},  // the odd pixel goes below the box
        {{4, 3, 96, 19}, 16, {4, 3, 96, 19}},  // exactly the font's height
        {{4, 3, 96, 12}, 16, {4, 3, 96, 12}},  // lower than the font: the whole rectangle
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.box, CenteredEditRect(c.padded, c.fontHeight));
    }
}

// A field is named by what labels it, never by what was typed into it: a password least of all.
TEST_F(EditTest, AccessibleNameIsTheCaptionTooltipOrNameNeverTheText) {
    const struct {
        const wchar_t* skin;
        const wchar_t* name;
    } cases[] = {
        {L"<Label text=\"Password:\"/><Edit name=\"field\" password=\"true\" text=\"s3cret\" "
         L"tooltip=\"Key\"/>",
         L"Password:"},
        {L"<Edit name=\"field\" text=\"typed\" tooltip=\"Your e-mail\"/>", L"Your e-mail"},
        {L"<Edit name=\"field\" password=\"true\" text=\"s3cret\"/>", L"field"},
    };
    for (const auto& c : cases) {
        InstallSkin(c.skin);
        CEditUI* edit = Find<CEditUI>(L"field", L"Edit");
        ASSERT_NE(nullptr, edit) << c.name;
        EXPECT_EQ(std::wstring(edit->AccessibleName().GetData()), c.name);
    }
}
