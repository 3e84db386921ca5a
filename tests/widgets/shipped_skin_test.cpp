// The skin that updater.exe carries: the archive resource, its four entries and the skin text.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include "tests/widgets/shipped_skin.h"
#include "ui/controls/button.h"
#include "ui/controls/progress.h"
#include "ui/core/window_host.h"
#include "ui/markup/skin_builder.h"
#include "ui/markup/xml_reader.h"

TEST(ShippedSkinTest, ProgramCarriesTheIconAndTheArchive) {
    ASSERT_NE(nullptr, UpdaterModule());
    EXPECT_NE(nullptr, FindResourceW(UpdaterModule(), MAKEINTRESOURCEW(107), RT_GROUP_ICON));
    EXPECT_FALSE(ShippedSkinArchive().empty());
}

TEST(ShippedSkinTest, ImagesAreRgbaAtTheirSizes) {
    struct Case {
        const wchar_t* name;
        int width, height;
    } cases[] = {{L"download_bg.png", 299, 159}, {L"progress_fore.png", 263, 10}, {L"button.png", 208, 20}};
    for (const Case& c : cases) {
        std::vector<unsigned char> png = ShippedSkinEntry(c.name);
        int w = 0, h = 0, channels = 0;
        ASSERT_TRUE(stbi_info_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &channels))
            << c.name;
        EXPECT_EQ(c.width, w) << c.name;
        EXPECT_EQ(c.height, h) << c.name;
        EXPECT_EQ(4, channels) << c.name;
    }
}

TEST(ShippedSkinTest, ButtonCellsShowFourDistinctStates) {
    std::vector<unsigned char> png = ShippedSkinEntry(L"button.png");
    int w = 0, h = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &channels, 4);
    ASSERT_NE(nullptr, pixels);
    auto pixel = [&](int x, int y) {
        const stbi_uc* p = pixels + (y * w + x) * 4;
        return p[0] | p[1] << 8 | p[2] << 16 | static_cast<unsigned>(p[3]) << 24;
    };
    // Border and fill of each 52-pixel cell; every state must differ from every other in one of them.
    for (int a = 0; a < 4; ++a) {
        EXPECT_EQ(0xFFu, pixel(a * 52 + 26, 10) >> 24) << "cell " << a << " is opaque inside";
        for (int b = a + 1; b < 4; ++b) {
            bool differ = pixel(a * 52 + 26, 10) != pixel(b * 52 + 26, 10) ||
                          pixel(a * 52 + 26, 0) != pixel(b * 52 + 26, 0);
            EXPECT_TRUE(differ) << "cells " << a << " and " << b;
        }
    }
    stbi_image_free(pixels);
}

TEST(ShippedSkinTest, SkinTextParsesAndNamesTheWindowControls) {
    std::vector<unsigned char> xml = ShippedSkinEntry(L"downdlg.xml");
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadBytes(xml.data(), static_cast<uint32_t>(xml.size()))) << reader.ErrorText();
    CXmlNode root = reader.RootNode();
    EXPECT_STREQ(L"Window", root.Tag());
    EXPECT_STREQ(L"300,160", root.FindAttrValue(L"size"));
    EXPECT_STREQ(L"0,0,0,31", root.FindAttrValue(L"caption"));
    EXPECT_STREQ(L"4,4,4,4", root.FindAttrValue(L"roundcorner"));

    // Every element with a name, depth first, by name -> element.
    std::vector<std::pair<std::wstring, std::wstring>> named;
    std::vector<CXmlNode> stack = {root};
    while (!stack.empty()) {
        CXmlNode node = stack.back();
        stack.pop_back();
        if (const wchar_t* name = node.FindAttrValue(L"name")) {
            named.emplace_back(name, node.Tag());
        }
        for (CXmlNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling()) {
            stack.push_back(child);
        }
    }
    const std::pair<std::wstring, std::wstring> expected[] = {
        {L"downloadbg", L"HorizontalLayout"}, {L"down_current_name", L"Text"},
        {L"down_progress_percent", L"Text"},  {L"down_progress", L"Progress"},
        {L"down_taskbar_button", L"Button"},
    };
    for (const auto& e : expected) {
        EXPECT_NE(named.end(), std::find(named.begin(), named.end(), e)) << e.first.c_str();
    }
}

TEST(ShippedSkinTest, SkinBuildsTheUpdaterControlsWithTheirSettings) {
    std::vector<unsigned char> xml = ShippedSkinEntry(L"downdlg.xml");
    CWindowHostUI host;
    CSkinBuilder builder;
    ASSERT_TRUE(builder.Document().LoadBytes(xml.data(), static_cast<uint32_t>(xml.size())));
    ASSERT_TRUE(host.AttachRoot(builder.BuildLoaded(nullptr, &host)));

    auto* title = static_cast<CTextUI*>(host.FindControlByName(L"down_dlg_title")->CastTo(L"Text"));
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(UINT{DT_WORDBREAK | DT_CENTER}, title->TextStyle());
    EXPECT_EQ(1, title->Font());
    EXPECT_EQ(0xFF202020u, title->TextColor());

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
