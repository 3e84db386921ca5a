// The new-version window with the shipped skin: its size at the display's DPI, what an offer
// shows or hides, the notes scrolling, every way of answering, and the link rule.

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "tests/support/display_dpi.h"
#include "tests/window/text_fit.h"
#include "ui/controls/container.h"
#include "ui/controls/scroll_bar.h"
#include "ui/util/dpi_scale.h"
#include "updater/check/offer_dialog.h"
#include "updater/ui_texts.h"

namespace {

OfferDetails SampleOffer(bool critical, std::wstring notes = L"{b}修复{/b}{a https://e.test/}说明{/a}") {
    return {L"SampleHost", L"2.1", L"2.0", std::move(notes), L"https://example.test/notes", critical};
}

// A window that never answers would hold its modal loop for good: after ten seconds the watchdog
// closes it, and the case fails on `fired` rather than hanging the run.
struct Watchdog {
    std::atomic<bool> done{false}, fired{false};
    std::thread thread{[this] {
        for (int i = 0; i < 1000 && !done; ++i) Sleep(10);
        if (done) return;
        fired = true;
        PostMessageW(FindWindowW(L"UIOfferWnd", nullptr), WM_CLOSE, 0, 0);
    }};
    ~Watchdog() {
        done = true;
        thread.join();
    }
};

class OfferWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr)); }

    // Created as ShowOfferWindow does, shown without activation and laid out by its first paint.
    HWND Open(const OfferDetails& offer) {
        window.emplace(offer, std::nullopt);
        const DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
        handle = window->Create(nullptr, UiText(TextId::OfferTitle), style, WS_EX_APPWINDOW);
        if (handle == nullptr) return nullptr;
        window->CenterWindow();
        ShowWindow(handle, SW_SHOWNOACTIVATE);
        UpdateWindow(handle);
        return handle;
    }

    CControlUI* Control(const wchar_t* name) { return window->Host().FindControlByName(name); }

    using SpokenNames = std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>;
    // What a screen reader says of each named control.
    void ExpectSpokenNames(SpokenNames names) {
        for (const auto& [name, spoken] : names) {
            CControlUI* control = Control(name);
            ASSERT_NE(control, nullptr) << name;
            EXPECT_EQ(control->AccessibleName(), spoken) << name;
        }
    }
    bool Shown(const wchar_t* name) { return Control(name) && Control(name)->IsVisible(); }

    std::optional<COfferWnd> window;
    HWND handle = nullptr;
};

}  // namespace

// At the prefix's DPI (96), and in a child run at 144: the skin scaled, nothing nameless for a
// screen reader, and a window the taskbar shows under its title.
TEST_F(OfferWindowTest, BuildsFromTheShippedSkinAtTheDisplayDpi) {
    ASSERT_NE(Open(SampleOffer(false)), nullptr);
    const int dpi = RequestedTestDpi() ? RequestedTestDpi() : 96;
    EXPECT_EQ(window->Host().Dpi(), dpi);
    RECT rc;
    EXPECT_TRUE(GetWindowRect(handle, &rc) && rc.right - rc.left == dpi::ScaleLength(440, dpi) &&
                rc.bottom - rc.top == dpi::ScaleLength(330, dpi));
    const TEXTMETRICW& font = window->Host().FontInfoAt(0).metrics;
    EXPECT_EQ(font.tmHeight - font.tmInternalLeading, dpi::ScaleLength(12, dpi));
    wchar_t title[32] = {};
    EXPECT_TRUE(GetWindowTextW(handle, title, 32) && std::wstring(title) == L"发现新版本");
    EXPECT_EQ(GetWindowLongW(handle, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    const SpokenNames kNames = {
        {L"offer_title", L"发现新版本"},
        {L"offer_now", L"立即更新"},
        {L"offer_later", L"稍后提醒"},
        {L"offer_skip", L"跳过此版本"},
        {L"closebtn", L"关闭"},
        {L"offer_notes_box", L"更新说明"},
        {L"offer_versions", L"SampleHost 2.1 已发布（您当前的版本是 2.0）"},
        {L"offer_notes_link", L"在浏览器中查看完整的更新说明"}};
    ExpectSpokenNames(kNames);
}

// In English the window's title, every control and what a screen reader says come from the
// English table, and the one-line texts fit where the skin puts the Chinese ones.
TEST_F(OfferWindowTest, SpeaksEnglishInTextsThatFitTheSkin) {
    struct EnglishForThisCase {
        EnglishForThisCase() { SetLanguage(Language::English); }
        ~EnglishForThisCase() { SetLanguage(Language::Chinese); }
    } english;
    ASSERT_NE(Open(SampleOffer(false)), nullptr);
    const int dpi = RequestedTestDpi() ? RequestedTestDpi() : 96;
    wchar_t title[32] = {};
    EXPECT_TRUE(GetWindowTextW(handle, title, 32) && std::wstring(title) == L"New version available");
    const SpokenNames kNames = {
        {L"offer_title", L"New version available"},
        {L"offer_now", L"Update now"},
        {L"offer_later", L"Later"},
        {L"offer_skip", L"Skip version"},
        {L"closebtn", L"Close"},
        {L"offer_notes_box", L"Release notes"},
        {L"offer_versions", L"SampleHost 2.1 is available (you have 2.0)"},
        {L"offer_notes_link", L"Read the full release notes in your browser"}};
    ExpectSpokenNames(kNames);
    for (const wchar_t* name : {L"offer_title", L"offer_notes_caption", L"offer_now", L"offer_later", L"offer_skip"}) {
        EXPECT_TRUE(TextFits(window->Host(), name, dpi)) << name;
    }
}

// A lost-key recovery says in one line why it is offered; an ordinary offer does not.
TEST_F(OfferWindowTest, RecoveryOfferSaysTheKeyChanged) {
    for (const bool keyChanged : {false, true}) {
        OfferDetails offer = SampleOffer(false, L"");
        offer.keyChanged = keyChanged;
        ASSERT_NE(Open(offer), nullptr);
        EXPECT_EQ(Shown(L"offer_key_changed"), keyChanged);
        EXPECT_EQ(Control(L"offer_key_changed")->Text(), CWideString(UiText(TextId::KeyChangedNote)));
        DestroyWindow(handle);
        window.reset();
    }
}

TEST(DisplayScale, OfferWindowAt144Dpi) {
    if (RequestedTestDpi()) GTEST_SKIP() << "a child run";
    EXPECT_EQ(RunSelfAtDpi(144, L"--gtest_filter=OfferWindowTest.Builds*:OfferWindowTest.SpeaksEnglish*"), 0);
}

// What an offer has decides what is shown; long notes scroll inside their box, short ones do not.
TEST_F(OfferWindowTest, ShowsOnlyWhatTheOfferHas) {
    std::wstring longNotes;
    for (int i = 0; i < 40; ++i) longNotes += L"{b}第 " + std::to_wstring(i) + L" 项{/b} 修正了一个问题。{n}";
    const struct {
        bool critical;
        std::wstring notes;
        const wchar_t* link;
        const wchar_t* shown;  // "稍后提醒", "跳过此版本", the critical line, the notes, the link
        bool scrolls;
    } kCases[] = {{false, L"短的说明", L"https://example.test/notes", L"11011", false},
                  {true, longNotes, L"http://example.test/notes", L"00110", true},
                  {false, L"", L"", L"11000", false}};
    for (const auto& c : kCases) {
        OfferDetails offer = SampleOffer(c.critical, c.notes);
        offer.releaseNotesLink = c.link;
        ASSERT_NE(Open(offer), nullptr);
        std::wstring shown;
        for (const wchar_t* name :
             {L"offer_later", L"offer_skip", L"offer_critical", L"offer_notes_box", L"offer_notes_link"}) {
            shown += Shown(name) ? L'1' : L'0';
        }
        EXPECT_EQ(shown, c.shown);
        if (c.notes.size()) {
            auto* box = static_cast<CContainerUI*>(Control(L"offer_notes_box")->CastTo(L"Container"));
            CScrollBarUI* bar = box ? box->VerticalScrollBar() : nullptr;
            // Only a text as tall as its lines overflows the box.
            EXPECT_EQ(bar && bar->IsVisible(), c.scrolls);
        }
        DestroyWindow(handle);
    }
}

// A click on each button, the close cross, Escape and Enter (the focused button is "立即更新"),
// each through the window's own modal loop; and the test-only answer through ShowOfferWindow as a
// user would give it: a critical offer has no "跳过此版本" to click, so asking for it closes the
// window, which is "later".
TEST_F(OfferWindowTest, EveryWayOfAnsweringGivesItsChoice) {
    const struct {
        const wchar_t* button;  // null: the key, or the test-only answer
        WPARAM key;
        const wchar_t* asked;  // the test-only answer, or null
        bool critical;
        OfferChoice expected;
    } kCases[] = {
        {L"offer_now", 0, nullptr, false, OfferChoice::InstallNow},
        {L"offer_later", 0, nullptr, false, OfferChoice::Later},
        {L"offer_skip", 0, nullptr, false, OfferChoice::Skip},
        {L"closebtn", 0, nullptr, false, OfferChoice::Later},
        {nullptr, VK_ESCAPE, nullptr, false, OfferChoice::Later},
        {nullptr, VK_RETURN, nullptr, false, OfferChoice::InstallNow},
        {nullptr, 0, L"now", false, OfferChoice::InstallNow},
        {nullptr, 0, L"SKIP", false, OfferChoice::Skip},
        {nullptr, 0, L"skip", true, OfferChoice::Later},
    };
    for (const auto& c : kCases) {
        Watchdog watchdog;
        if (c.asked) {
            SetEnvironmentVariableW(L"UPDATER_TEST_OFFER_CHOICE", c.asked);
            EXPECT_EQ(ShowOfferWindow(SampleOffer(c.critical)), c.expected) << c.asked << c.critical;
            SetEnvironmentVariableW(L"UPDATER_TEST_OFFER_CHOICE", nullptr);
            EXPECT_FALSE(watchdog.fired) << c.asked;
            continue;
        }
        ASSERT_NE(Open(SampleOffer(false)), nullptr);
        if (c.button) {
            const RECT& rc = Control(c.button)->Pos();
            const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
            PostMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(handle, WM_LBUTTONUP, 0, at);
        } else {
            PostMessageW(handle, WM_KEYDOWN, c.key, 0);
        }
        window->ShowModal();
        EXPECT_FALSE(watchdog.fired);
        EXPECT_EQ(window->Choice(), c.expected) << (c.button ? "button" : "key") << " " << c.key;
    }
}

TEST(OfferLinks, OnlyIntactHttpsLinksOpen) {
    for (const wchar_t* url :
         {L"https://example.test/notes?v=2#top", L"HTTPS://Example.test/", L"https://例子.测试/说明"}) {
        EXPECT_TRUE(IsOpenableLink(url) && !ReleaseNotesLinkMarkup(url).empty()) << url;
    }
    const std::wstring tooLong = L"https://example.test/" + std::wstring(2100, L'a');
    for (const wchar_t* url :
         {L"http://example.test/notes", L"file:///C:/Windows/notepad.exe", L"javascript:alert(1)",
          L"https:/example.test", L"https://", L"https:///etc", L"https://example.test/a b",
          L"https://example.test/}{b}", L"https://example.test/\\..\\x", L"https://example.test/\x01",
          L" https://example.test/", L"https://example.test/?u=%USERNAME%&d=%windir%", tooLong.c_str()}) {
        EXPECT_FALSE(IsOpenableLink(url) || !ReleaseNotesLinkMarkup(url).empty()) << url;
    }
}
