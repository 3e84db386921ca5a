// The gallery skin, as gallery.exe shows it: every control class is built, laid out and painted
// with its pictures.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "gallery/gallery_skin.h"
#include "tests/controls/test_window.h"
#include "tests/support/accessible_walk.h"
#include "tests/support/process.h"
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

// The name of an element a client was handed as an object (VT_DISPATCH), which it clears.
std::wstring NameOfElement(VARIANT& element) {
    void* object = nullptr;
    if (element.vt == VT_DISPATCH) element.pdispVal->QueryInterface(IID_IAccessible, &object);
    VariantClear(&element);
    if (!object) return L"(not an object)";
    std::wstring name = ReadText(static_cast<IAccessible*>(object), &IAccessible::get_accName);
    static_cast<IAccessible*>(object)->Release();
    return name;
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

    // A control that dies leaves clients holding its object disconnected, and the tree without it.
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        AccessibleTree tree(window.Handle());
        const AccessibleNode* ok = tree.Find(ROLE_SYSTEM_PUSHBUTTON, L"Button");
        ASSERT_TRUE(ok);
        auto* row = static_cast<CContainerUI*>(button->ParentControl()->CastTo(L"Container"));
        ASSERT_TRUE(row && row->Remove(button));
        window.Pump(50);
        EXPECT_EQ(ReadLong(ok->object, &IAccessible::get_accRole), -1);
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        EXPECT_EQ(ok->object->accDoDefaultAction(self), CO_E_OBJNOTCONNECTED);
        AccessibleTree after(window.Handle());
        EXPECT_EQ(after.nodes.size() + 1, tree.nodes.size());
        EXPECT_FALSE(after.Find(ROLE_SYSTEM_PUSHBUTTON, L"Button"));
    }
    CoUninitialize();
}

// gallery.exe read from this process: one element per visible control (unnamed layouts left
// out), every role with its name, value and state, and a page tab that switches the page.
TEST(GallerySkin, ScreenReaderSeesEveryRoleAndSwitchesPages) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ChildProcess gallery;
    ASSERT_TRUE(gallery.Start(ProgramFolder() + L"gallery.exe", L""));
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindWindowW(L"UIGalleryWnd", nullptr)) != nullptr; }, 10000));
    {
        AccessibleTree tree(window);
        ASSERT_HRESULT_SUCCEEDED(tree.result);
        struct Expected {
            LONG role;
            const wchar_t* name;
            const wchar_t* value;
            LONG state;  // bits that must be set
        };
        const Expected expected[] = {
            {ROLE_SYSTEM_CLIENT, L"Control gallery", L"", 0},
            {ROLE_SYSTEM_STATICTEXT, L"Control gallery", L"", STATE_SYSTEM_READONLY},
            {ROLE_SYSTEM_GROUPING, L"Controls", L"", 0},
            {ROLE_SYSTEM_PUSHBUTTON, L"Button", L"", STATE_SYSTEM_FOCUSABLE},
            {ROLE_SYSTEM_PUSHBUTTON, L"Disabled", L"", STATE_SYSTEM_UNAVAILABLE},
            {ROLE_SYSTEM_RADIOBUTTON, L"Medium", L"", STATE_SYSTEM_CHECKED},
            {ROLE_SYSTEM_CHECKBUTTON, L"Sound", L"", STATE_SYSTEM_CHECKED},
            {ROLE_SYSTEM_CHECKBUTTON, L"Disabled", L"", STATE_SYSTEM_UNAVAILABLE},
            {ROLE_SYSTEM_PROGRESSBAR, L"Progress 65 %", L"65%", STATE_SYSTEM_READONLY},
            {ROLE_SYSTEM_SLIDER, L"Slider", L"40", 0},
            {ROLE_SYSTEM_TEXT, L"Name", L"", 0},
            {ROLE_SYSTEM_ANIMATION, L"", L"", 0},
            {ROLE_SYSTEM_PAGETAB, L"Tiles", L"", STATE_SYSTEM_SELECTED},
            {ROLE_SYSTEM_PAGETABLIST, L"", L"", 0},
            {ROLE_SYSTEM_SCROLLBAR, L"", L"0", 0},
        };
        for (const Expected& row : expected) {
            const AccessibleNode* node = tree.Find(row.role, row.name);
            ASSERT_TRUE(node) << row.role << " " << row.name;
            EXPECT_EQ(node->value, row.value) << row.name;
            EXPECT_EQ(node->state & row.state, row.state) << row.name;
        }
        EXPECT_EQ(tree.nodes.size(), 43u) << "one per visible control that is not an unnamed layout";
        EXPECT_EQ(tree.Find(ROLE_SYSTEM_RADIOBUTTON, L"Small")->state & STATE_SYSTEM_CHECKED, 0);
        // Marked-up text reads without its tags; the last rows of the history are scrolled away.
        const AccessibleNode* last = tree.Find(ROLE_SYSTEM_STATICTEXT, L"2.0.0  A skinned window");
        ASSERT_TRUE(last);
        EXPECT_NE(last->state & STATE_SYSTEM_OFFSCREEN, 0);

        // Location, hit testing and the focus lead to the same element.
        const AccessibleNode* slider = tree.Find(ROLE_SYSTEM_SLIDER, L"Slider");
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        LONG left = 0, top = 0, width = 0, height = 0;
        ASSERT_HRESULT_SUCCEEDED(slider->object->accLocation(&left, &top, &width, &height, self));
        EXPECT_GT(width, 0);
        VARIANT hit;
        VariantInit(&hit);
        ASSERT_HRESULT_SUCCEEDED(tree.nodes[0].object->accHitTest(left + width / 2, top + height / 2, &hit));
        EXPECT_EQ(NameOfElement(hit), L"Slider");
        EXPECT_HRESULT_SUCCEEDED(slider->object->accSelect(SELFLAG_TAKEFOCUS, self));
        ASSERT_HRESULT_SUCCEEDED(tree.nodes[0].object->get_accFocus(&hit));
        EXPECT_EQ(NameOfElement(hit), L"Slider");

        // The tab list holds the page shown: the eight tiles, then the notes after a switch.
        const AccessibleNode* tabs = tree.Find(ROLE_SYSTEM_PAGETABLIST, L"");
        EXPECT_EQ(tabs->childCount, 8);
        EXPECT_HRESULT_SUCCEEDED(tree.Find(ROLE_SYSTEM_PAGETAB, L"Notes")->object->accDoDefaultAction(self));
        LONG pages = 0;
        EXPECT_TRUE(WaitUntil([&] { return SUCCEEDED(tabs->object->get_accChildCount(&pages)) && pages == 1; }, 5000));
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(gallery.Wait(10000), 0);
    CoUninitialize();
}

TEST(GallerySkin, EveryControlScalesAt144Dpi) {
    if (RequestedTestDpi()) GTEST_SKIP() << "a child run";
    EXPECT_EQ(0, RunSelfAtDpi(144, L"--gtest_filter=GallerySkin.BuildsEveryControlAndPaintsItsPictures"));
}

}  // namespace
