// The skin that updater.exe carries: the icon, the archive resource, its images and its text.

#include <gtest/gtest.h>

#include "tests/widgets/shipped_skin.h"
#include "ui/controls/button.h"
#include "ui/controls/progress.h"
#include "ui/core/window_host.h"
#include "ui/markup/skin_builder.h"

TEST(ShippedSkinTest, ProgramCarriesTheIconAndRgbaImagesOfTheirSizes) {
    ASSERT_NE(nullptr, UpdaterModule());
    EXPECT_NE(nullptr, FindResourceW(UpdaterModule(), MAKEINTRESOURCEW(107), RT_GROUP_ICON));
    struct Case {
        const wchar_t* name;
        unsigned width, height;
    } cases[] = {{L"download_bg.png", 299, 159}, {L"progress_fore.png", 263, 10}, {L"button.png", 208, 20}};
    for (const Case& c : cases) {
        // The PNG header: big-endian width and height at 16 and 20, 8-bit depth, colour type 6 (RGBA).
        std::vector<unsigned char> png = ShippedSkinEntry(c.name);
        ASSERT_GE(png.size(), 26u) << c.name;
        auto be32 = [&](int at) {
            return unsigned(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        };
        EXPECT_EQ(c.width, be32(16)) << c.name;
        EXPECT_EQ(c.height, be32(20)) << c.name;
        EXPECT_EQ(8, png[24]) << c.name;
        EXPECT_EQ(6, png[25]) << c.name;
    }
}

TEST(ShippedSkinTest, SkinBuildsTheUpdaterControlsWithTheirSettings) {
    std::vector<unsigned char> xml = ShippedSkinEntry(L"downdlg.xml");
    CWindowHostUI host;
    CSkinBuilder builder;
    ASSERT_TRUE(builder.Document().LoadBytes(xml.data(), static_cast<uint32_t>(xml.size())));
    EXPECT_STREQ(L"0,0,0,31", builder.Document().RootNode().FindAttrValue(L"caption"));
    ASSERT_TRUE(host.AttachRoot(builder.BuildLoaded(nullptr, &host)));

    auto* title = static_cast<CTextUI*>(host.FindControlByName(L"down_dlg_title")->CastTo(L"Text"));
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(UINT{DT_WORDBREAK | DT_CENTER}, title->TextStyle());
    EXPECT_EQ(1, title->Font());
    EXPECT_EQ(0xFF202020u, title->TextColor());
    EXPECT_NE(nullptr, host.FindControlByName(L"down_current_name")->CastTo(L"Text"));
    EXPECT_NE(nullptr, host.FindControlByName(L"down_progress_percent")->CastTo(L"Text"));

    auto* bar = static_cast<CProgressUI*>(host.FindControlByName(L"down_progress")->CastTo(L"Progress"));
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(CWideString(L"file='progress_fore.png'"), bar->ForeImage());
    EXPECT_EQ(100, bar->Maximum());
    EXPECT_EQ(7, bar->MaxHeight());

    CControlUI* control = host.FindControlByName(L"down_taskbar_button");
    ASSERT_NE(nullptr, control);
    EXPECT_STREQ(L"ButtonUI", control->ClassName());
    auto* button = static_cast<CButtonUI*>(control->CastTo(L"Button"));
    EXPECT_STREQ(L"file='button.png' source='156,0,208,20' corner='4,4,4,4'",
                 button->StateImage(CButtonUI::DisabledImage));
    EXPECT_EQ(0xFFA7A6AAu, button->DisabledTextColor());
    EXPECT_EQ(CWideString(L"最小化到任务栏"), button->Text());
}
