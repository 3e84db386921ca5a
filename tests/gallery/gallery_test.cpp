// The gallery skin, as gallery.exe shows it: every control class is built, laid out and painted
// with its pictures.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "gallery/gallery_skin.h"
#include "tests/controls/test_window.h"
#include "tests/support/display_dpi.h"
#include "ui/controls/button.h"
#include "ui/controls/container.h"
#include "ui/controls/gif_anim.h"
#include "ui/controls/option.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/slider.h"

namespace {

std::set<std::wstring> ClassNamesIn(CControlUI* root) {
    std::set<std::wstring> names;
    root->FindControl(
        [](CControlUI* control, void* data) -> CControlUI* {
            static_cast<std::set<std::wstring>*>(data)->insert(control->ClassName());
            return nullptr;
        },
        &names, 0);
    return names;
}

TEST(GallerySkin, BuildsEveryControlAndPaintsItsPictures) {
    CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr));
    UseGalleryFolder();
    TestWindow window(kGalleryWidth, kGalleryHeight);
    CWindowHostUI& host = window.Host();
    // Run at the prefix's DPI (96), and again in a child run at 144 DPI.
    const int dpi = RequestedTestDpi() ? RequestedTestDpi() : 96;
    EXPECT_EQ(dpi, host.Dpi());
    CControlUI* root = BuildGallerySkin(host);
    ASSERT_NE(nullptr, root);
    ASSERT_TRUE(host.AttachRoot(root));
    // The tile layout is only in the child skin, so finding it means the child layout built it.
    const std::set<std::wstring> expected = {
        L"VerticalLayoutUI", L"HorizontalLayoutUI", L"ControlUI",   L"LabelUI",
        L"TextUI",           L"ButtonUI",           L"OptionUI",    L"CheckBoxUI",
        L"ProgressUI",       L"SliderUI",           L"TabLayoutUI", L"ChildLayoutUI",
        L"TileLayoutUI",     L"ScrollBarUI",        L"EditUI",      L"GifAnimUI"};
    EXPECT_EQ(expected, ClassNamesIn(root));

    const RECT client = {0, 0, host.Scale(kGalleryWidth), host.Scale(kGalleryHeight)};
    root->SetPos(client);
    TestCanvas canvas(client.right, client.bottom);
    root->Paint(canvas.DC(), client);
    // A picture that cannot be drawn is cleared, so the texts still being there means they were.
    auto* button = static_cast<CButtonUI*>(host.FindControlByName(L"button_ok")->CastTo(L"Button"));
    auto* medium = static_cast<COptionUI*>(host.FindControlByName(L"size_medium")->CastTo(L"Option"));
    auto* slider = static_cast<CSliderUI*>(host.FindControlByName(L"slider")->CastTo(L"Slider"));
    auto* history = static_cast<CContainerUI*>(host.FindControlByName(L"history")->CastTo(L"Container"));
    auto* spinner = static_cast<CGifAnimUI*>(host.FindControlByName(L"spinner")->CastTo(L"GifAnim"));
    ASSERT_TRUE(button && medium && slider && history && spinner);
    EXPECT_EQ(8u, spinner->FrameCount());
    // Its rows do not fit: the bar is shown and its thumb painted.
    CScrollBarUI* bar = history->VerticalScrollBar();
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->IsVisible());
    // Lengths from class defaults and from the elements are scaled alike.
    EXPECT_EQ(bar->Pos().right - bar->Pos().left, host.Scale(10));
    EXPECT_EQ(button->Pos().bottom - button->Pos().top, host.Scale(24));
    EXPECT_NE(L'\0', *bar->PartImage(ScrollPartThumb, ScrollImageNormal));
    EXPECT_NE(L'\0', *button->StateImage(CButtonUI::NormalImage));
    EXPECT_NE(L'\0', *medium->OptionImageText(COptionUI::CheckedImage));
    EXPECT_NE(L'\0', *slider->ThumbImageText(CSliderUI::Thumb));
    EXPECT_TRUE(medium->IsChecked());
    // The checked radio's dot, drawn 4 pixels down in the option's row.
    const RECT& pos = medium->Pos();
    EXPECT_EQ(0x2F77C4u, canvas.Pixel(pos.left + host.Scale(7), pos.top + host.Scale(11)) & 0xFFFFFF);

    // The page buttons are bound to the tab layout by name.
    CControlUI* notes = host.FindControlByName(L"notes");
    ASSERT_TRUE(notes);
    EXPECT_FALSE(notes->IsVisible());
    EXPECT_TRUE(host.FindControlByName(L"tab_notes")->Activate());
    EXPECT_TRUE(notes->IsVisible());
    EXPECT_FALSE(host.FindControlByName(L"tiles_child")->IsVisible());
}

TEST(GallerySkin, EveryControlScalesAt144Dpi) {
    if (RequestedTestDpi()) GTEST_SKIP() << "a child run";
    EXPECT_EQ(0, RunSelfAtDpi(144, L"--gtest_filter=GallerySkin.BuildsEveryControlAndPaintsItsPictures"));
}

}  // namespace
