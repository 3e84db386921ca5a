#include "ui/core/window_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/builder/host_scope.h"
#include "ui/markup/skin_builder.h"

namespace {

LOGFONTW LogFontOf(HFONT font) {
    LOGFONTW logFont = {};
    GetObjectW(font, sizeof(logFont), &logFont);
    return logFont;
}

LONG StockWeight() {
    return LogFontOf(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))).lfWeight;
}

TEST(HostFonts, BoldAddsSevenHundredToTheStockWeightForDefaultAndCustomFonts) {
    CWindowHostUI host;
    HFONT bold = host.AddCustomFont(L"Arial", 14, true, true, false);
    EXPECT_EQ(StockWeight() + 700, LogFontOf(bold).lfWeight);
    EXPECT_EQ(-14, LogFontOf(bold).lfHeight);
    EXPECT_EQ(1, LogFontOf(bold).lfUnderline);
    host.ReplaceDefaultFont(L"Arial", 11, true, false, true);
    EXPECT_EQ(StockWeight() + 700, LogFontOf(host.DefaultFontInfo().font).lfWeight);
    EXPECT_EQ(1, LogFontOf(host.DefaultFontInfo().font).lfItalic);
}

TEST(HostFonts, LongFaceNamesAreCutAndTerminated) {
    HostScope scope;
    const std::wstring longName(40, L'F');
    std::wstring skin = L"<Window><Font name=\"" + longName + L"\" default=\"true\"/></Window>";
    CSkinBuilder().Build(skin.c_str(), nullptr, nullptr, &scope.Host());
    for (HFONT font : {scope.Host().FontAt(0), scope.Host().DefaultFontInfo().font}) {
        EXPECT_EQ(std::wstring(31, L'F'), LogFontOf(font).lfFaceName);
    }
    EXPECT_EQ(scope.Host().FontAt(0), scope.Host().FindFont(longName.c_str(), 12, false, false, false));
}

TEST(HostFonts, IndexesOutsideTheTableSelectTheDefaultFont) {
    CWindowHostUI host;
    HFONT first = host.AddCustomFont(L"Arial", 12, false, false, false);
    EXPECT_EQ(first, host.FontAt(0));
    for (int index : {-1, 1, 1000}) {
        EXPECT_EQ(host.DefaultFontInfo().font, host.FontAt(index)) << index;
        EXPECT_EQ(&host.DefaultFontInfo(), &host.FontInfoAt(index)) << index;
    }
    host.ClearFonts();
    EXPECT_EQ(host.DefaultFontInfo().font, host.FontAt(0));
    EXPECT_EQ(0u, GetObjectType(first));
}

TEST(HostFonts, MetricsComeOnFirstUseOnceTheWindowDCExists) {
    CWindowHostUI host;
    HFONT font = host.AddCustomFont(L"Arial", 20, false, false, false);
    EXPECT_EQ(0, host.FontInfoOf(font).metrics.tmHeight);
    host.AttachWindow(SharedWindow().Handle());
    EXPECT_GE(host.FontInfoOf(font).metrics.tmHeight, 20);
    EXPECT_GT(host.DefaultFontInfo().metrics.tmHeight, 0);
}

TEST(HostResourceChain, LookupsFallBackToTheParentChain) {
    CWindowHostUI top;
    CWindowHostUI child;
    ASSERT_TRUE(child.SetResourceParent(&top));
    EXPECT_FALSE(top.SetResourceParent(&child));  // would close a loop
    EXPECT_FALSE(child.SetResourceParent(&child));

    HFONT font = top.AddCustomFont(L"Arial", 12, true, false, false);
    EXPECT_EQ(font, child.FindFont(L"Arial", 12, true, false, false));
    EXPECT_EQ(nullptr, child.FindFont(L"arial", 12, true, false, false));
    EXPECT_EQ(nullptr, child.FindFont(L"Arial", 12, false, false, false));
    EXPECT_EQ(font, child.FontInfoOf(font).font);
    EXPECT_EQ(child.DefaultFontInfo().font, child.FontAt(0));  // indexes stay per host
    top.ReplaceDefaultFont(L"Arial", 9, false, false, false);
    EXPECT_EQ(top.DefaultFontInfo().font, child.DefaultFontInfo().font);

    top.SetClassDefaults(L"Button", L"width=\"3\"");
    EXPECT_STREQ(L"width=\"3\"", child.ClassDefaults(L"Button"));
    top.SetSelectedColor(0xFF123456);
    child.SetSelectedColor(0xFF000000);
    EXPECT_EQ(0xFF123456u, child.SelectedColor());
}

// Counts decodes; "missing" never decodes.
struct LoaderLog {
    static LoadedImage* Load(const wchar_t* source, const wchar_t* type, DWORD /*mask*/) {
        calls.push_back(IS_INTRESOURCE(source) ? L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(source))
                                               : std::wstring(source));
        if (!IS_INTRESOURCE(source) && std::wstring(source) == L"missing") {
            return nullptr;
        }
        auto* image = new LoadedImage;
        image->bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
        image->resourceType = type ? L"overwritten" : L"";
        return image;
    }
    static std::vector<std::wstring> calls;
};
std::vector<std::wstring> LoaderLog::calls;

TEST(HostImages, EachNameDecodesOnceAndAFailureIsReadOnceUntilTheResourcesChange) {
    LoaderLog::calls.clear();
    CWindowHostUI host;
    EXPECT_EQ(nullptr, host.ImageFor(L"a.png", nullptr, 0));  // no decoder yet
    host.SetImageLoader(&LoaderLog::Load);
    LoadedImage* image = host.ImageFor(L"a.png", nullptr, 0xFF00FF);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(0xFF00FFu, image->mask);
    EXPECT_EQ(image, host.ImageFor(L"a.png", L"PNG", 0));  // type and mask of later requests ignored
    EXPECT_EQ(nullptr, host.CacheImage(L"a.png", nullptr, 0));
    EXPECT_EQ(nullptr, host.ImageFor(L"missing", nullptr, 0));
    EXPECT_EQ(nullptr, host.ImageFor(L"missing", nullptr, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"a.png", L"a.png", L"missing"}), LoaderLog::calls);
    const CWideString folder = CWindowHostUI::ResourceFolder();
    CWindowHostUI::SetResourceFolder(folder);  // a new resource location: the name is read again
    EXPECT_EQ(nullptr, host.ImageFor(L"missing", nullptr, 0));
    EXPECT_EQ(nullptr, host.ImageFor(L"missing", nullptr, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"a.png", L"a.png", L"missing", L"missing"}), LoaderLog::calls);

    LoaderLog::calls.clear();
    LoadedImage* resource = host.ImageFor(L"65548", L"PNG", 0);  // 0x1000C: low 16 bits are the id
    ASSERT_NE(nullptr, resource);
    EXPECT_EQ(CWideString(L"PNG"), resource->resourceType);
    EXPECT_EQ(nullptr, host.ImageFor(L"logo", L"PNG", 0));  // no digit first: not even tried
    EXPECT_EQ((std::vector<std::wstring>{L"#12"}), LoaderLog::calls);

    HBITMAP bitmap = image->bitmap;
    host.ClearImages();
    EXPECT_EQ(0u, GetObjectType(bitmap));
}

TEST(HostGroups, MembersAreUniqueAndAnEmptiedGroupDisappears) {
    CWindowHostUI host;
    CControlUI a;
    CControlUI b;
    EXPECT_TRUE(host.AddToGroup(L"g", &a));
    EXPECT_FALSE(host.AddToGroup(L"g", &a));
    EXPECT_TRUE(host.AddToGroup(L"g", &b));
    ASSERT_NE(nullptr, host.GroupMembers(L"g"));
    EXPECT_EQ(2, host.GroupMembers(L"g")->GetSize());
    host.RemoveFromGroup(L"g", &a);
    EXPECT_EQ(&b, host.GroupMembers(L"g")->GetAt(0));
    host.RemoveFromGroup(L"g", &b);
    EXPECT_EQ(nullptr, host.GroupMembers(L"g"));
    host.AddToGroup(L"h", &a);
    host.ClearGroups();
    EXPECT_EQ(nullptr, host.GroupMembers(L"h"));
}

TEST(HostSettings, StartSizeResizesOnlyBeforeARootIsAttached) {
    HostScope scope;
    scope.Host().SetStartSize(250, 120);
    RECT rc;
    GetWindowRect(scope.Window(), &rc);
    EXPECT_EQ(250, rc.right - rc.left);
    scope.Host().AttachRoot(new CControlUI);
    scope.Host().SetStartSize(200, 100);
    GetWindowRect(scope.Window(), &rc);
    EXPECT_EQ(250, rc.right - rc.left);
    EXPECT_EQ(200, scope.Host().StartSize().cx);
}

}  // namespace
