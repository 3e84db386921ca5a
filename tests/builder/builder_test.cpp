#include "ui/markup/skin_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/builder/host_scope.h"
#include "tests/support/updater_skin.h"
#include "ui/controls/container.h"
#include "ui/controls/layouts.h"

namespace {

// Stands in with plain controls for elements the factory table does not know, and records what
// it was asked for.
class StandInCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateCustomControl(const wchar_t* className) override {
        asked += className;
        asked += L";";
        return std::wstring(className) == L"Refused" ? nullptr : new CControlUI;
    }
    std::wstring asked;
};

std::wstring Names(CControlUI* parent) {
    std::wstring names;
    auto* container = static_cast<IContainerUI*>(parent->CastTo(L"IContainer"));
    for (int i = 0; container && i < container->Count(); ++i) {
        names += container->ItemAt(i)->Name().GetData();
        names += L" ";
    }
    return names;
}

// Builds markup into a fresh vertical layout (so top-level controls have somewhere to go).
struct BuiltInto {
    explicit BuiltInto(const wchar_t* markup, CWindowHostUI* host = nullptr,
                       IDialogBuilderCallback* callback = nullptr) {
        result = builder.Build(markup, nullptr, callback, host, &parent);
    }
    CSkinBuilder builder;
    CVerticalLayoutUI parent;
    CControlUI* result = nullptr;
};

TEST(SkinBuilder, UpdaterSkinGivesWindowSettingsFontsAndRectangles) {
    HostScope scope;
    CWindowHostUI& host = scope.Host();
    StandInCallback callback;
    CSkinBuilder builder;
    CControlUI* root = builder.Build(kUpdaterSkin, nullptr, &callback, &host);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(CWideString(L"downloadbg"), root->Name());
    EXPECT_EQ(L"", callback.asked) << "the factory table knows every element of the updater's skin";

    RECT window;
    GetWindowRect(scope.Window(), &window);
    EXPECT_EQ(300, window.right - window.left);
    EXPECT_EQ(160, window.bottom - window.top);
    EXPECT_EQ((RECT{0, 0, 0, 31}), host.CaptionRect());
    EXPECT_EQ((RECT{4, 4, 4, 4}), host.SizeBox());
    EXPECT_EQ(4, host.RoundCorner().cx);
    EXPECT_EQ(4, host.RoundCorner().cy);
    MINMAXINFO info = {};
    SendMessageW(scope.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(300, info.ptMinTrackSize.x);
    EXPECT_EQ(160, info.ptMinTrackSize.y);
    EXPECT_EQ(0, info.ptMaxTrackSize.x);  // a 0 maximum is left to Windows

    ASSERT_EQ(2, host.CustomFontCount());
    EXPECT_FALSE(host.FontInfoAt(0).bold);
    EXPECT_TRUE(host.FontInfoAt(1).bold);
    EXPECT_EQ(12, host.FontInfoAt(1).size);
    EXPECT_EQ(CWideString(L"微软雅黑"), host.DefaultFontInfo().faceName);

    // Every control, parents first, after laying the tree out in 300 x 160.
    host.AttachRoot(root);
    root->SetPos(RECT{0, 0, 300, 160});
    const auto& expected = kUpdaterSkinRects;
    std::vector<CControlUI*> all = Preorder(root);
    ASSERT_EQ(std::size(expected), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(expected[i], all[i]->Pos()) << "control " << i << " " << all[i]->Name().GetData();
    }
    EXPECT_EQ(all.back(), host.FindControlByName(L"down_taskbar_button"));
}

TEST(SkinBuilder, ClassDefaultsApplyBeforeMarkupAndTheFirstDefinitionWins) {
    HostScope scope;
    BuiltInto built(
        LR"(<Window>
        <Default name="Control" value="width=&quot;10&quot; height=&quot;20&quot;" />
        <Default name="Control" value="width=&quot;99&quot;" />
        <Control name="a" /><Control name="b" height="5" />
        <Container><Font name="Nested" /><Default name="Container" value="width=&quot;7&quot;" /></Container>
      </Window>)",
        &scope.Host());
    ASSERT_EQ(3, built.parent.Count());
    EXPECT_EQ(10, built.parent.ItemAt(0)->FixedWidth());
    EXPECT_EQ(20, built.parent.ItemAt(0)->FixedHeight());
    EXPECT_EQ(5, built.parent.ItemAt(1)->FixedHeight());
    // Declarations nested in a control are ignored.
    EXPECT_EQ(0, built.parent.ItemAt(2)->FixedWidth());
    EXPECT_EQ(0, scope.Host().CustomFontCount());
}

// Odd declarations build what they can: no face or no name declares nothing, odd sizes still
// give a font, and a repeated attribute counts with its last value.
TEST(SkinBuilder, DeclarationsWithMissingOrOddValues) {
    HostScope scope;
    CWindowHostUI& host = scope.Host();
    int decodes = 0;
    static int* counter = &decodes;
    host.SetImageLoader([](const wchar_t*, const wchar_t*, DWORD) -> LoadedImage* {
        ++*counter;
        return nullptr;
    });
    CSkinBuilder().Build(
        LR"(<Window>
        <Font size="14" default="true"/><Font name="Arial" size="0"/><Font name="Arial" size="-5"/>
        <Font name="Arial" bold="true" bold="false"/>
        <Image/><Image restype="PNG"/><Image name="a.png" name="b.png"/>
        <Default value="width=&quot;3&quot;"/>
      </Window>)",
        nullptr, nullptr, &host);
    ASSERT_EQ(3, host.CustomFontCount());
    EXPECT_NE(nullptr, host.FontAt(0));
    EXPECT_EQ(-5, host.FontInfoAt(1).size);
    EXPECT_FALSE(host.FontInfoAt(2).bold);
    EXPECT_NE(CWideString(L""), host.DefaultFontInfo().faceName);  // the nameless default was not applied
    EXPECT_EQ(1, decodes);
    EXPECT_EQ(nullptr, host.ClassDefaults(L""));
}

TEST(SkinBuilder, ElementListsBuildWhatTheyCan) {
    struct Case {
        const wchar_t* markup;
        const wchar_t* names;  // the parent's children afterwards
        const wchar_t* asked;  // names the callback was asked for
    };
    const Case cases[] = {
        // Unknown names go to the callback; a refused one is skipped with its subtree.
        {L"<W><Refused><Control name=\"x\"/></Refused><Custom name=\"c\"/></W>", L"c ", L"Refused;Custom;"},
        // A control inside a non-container stops that list; the outer control still comes.
        {L"<W><Control name=\"outer\"><Control name=\"in\"/><Control name=\"lost\"/></Control><Control "
         L"name=\"b\"/></W>",
         L"outer b ", L""},
        // Attributes that are empty, negative, huge or not numbers never fail the build.
        {L"<W><Container name=\"v\" width=\"\" height=\"-5\" inset=\"x,y\" "
         L"childpadding=\"99999999999\"/></W>",
         L"v ", L""},
        {L"<W><Include/><Include count=\"2\"/><Include source=\"\" count=\"-3\"/></W>", L"", L""},
        {L"<W>text only</W>", L"", L""},
        {L"<W/>", L"", L""},
    };
    for (const Case& c : cases) {
        StandInCallback callback;
        BuiltInto built(c.markup, nullptr, &callback);
        EXPECT_EQ(std::wstring(c.names), Names(&built.parent)) << c.markup;
        EXPECT_EQ(std::wstring(c.asked), callback.asked) << c.markup;
    }
}

TEST(SkinBuilder, LoadFailuresBuildNothing) {
    HostScope scope;
    CSkinBuilder builder;
    EXPECT_EQ(nullptr, builder.Build(L"<Window a='1'/>", nullptr, nullptr, &scope.Host()));
    EXPECT_EQ(nullptr, builder.Build(L"no_such_skin.xml", nullptr, nullptr, &scope.Host()));
    EXPECT_EQ(nullptr, builder.Build(MAKEINTRESOURCEW(4711), L"ZIPRES", nullptr, &scope.Host()));
    EXPECT_EQ(nullptr, builder.Build(L"<!-- no element -->", nullptr, nullptr, &scope.Host()));
}

TEST(SkinBuilder, WindowAttributesNeedAWindowRootAndAWindowedHost) {
    const wchar_t kDialog[] = L"<Dialog caption=\"1,2,3,4\"><Font name=\"Arial\" bold=\"true\"/></Dialog>";
    const wchar_t kWindow[] = L"<Window caption=\"1,2,3,4\" alpha=\"200\" bktrans=\"true\"/>";
    HostScope scope;
    CSkinBuilder().Build(kDialog, nullptr, nullptr, &scope.Host());
    EXPECT_EQ((RECT{0, 0, 0, 0}), scope.Host().CaptionRect());
    EXPECT_EQ(1, scope.Host().CustomFontCount());

    CWindowHostUI windowless;
    CSkinBuilder().Build(kWindow, nullptr, nullptr, &windowless);
    EXPECT_EQ((RECT{0, 0, 0, 0}), windowless.CaptionRect());
    CSkinBuilder().Build(kWindow, nullptr, nullptr, &scope.Host());
    EXPECT_EQ((RECT{1, 2, 3, 4}), scope.Host().CaptionRect());
    EXPECT_TRUE(scope.Host().IsLayeredPaint());
}

// Skin files in a folder of their own, found through the resource folder.
class IncludeFiles : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"builder_includes\\";
        CreateDirectoryW(m_folder.c_str(), nullptr);
        CWindowHostUI::UseSkinArchiveFile(L"");
        CWindowHostUI::SetResourceFolder(m_folder.c_str());
    }
    void TearDown() override { CWindowHostUI::SetResourceFolder(L""); }

    void Write(const wchar_t* name, const char* text) {
        FILE* file = _wfopen((m_folder + name).c_str(), L"wb");
        ASSERT_NE(nullptr, file);
        fputs(text, file);
        fclose(file);
    }

    std::wstring m_folder;
};

TEST_F(IncludeFiles, IncludeRepeatsCountTimesAndCarriesDeclarations) {
    Write(L"item.xml", "<Window><Font name=\"Arial\" size=\"9\"/><Control name=\"i\"/></Window>");
    HostScope scope;
    BuiltInto built(
        L"<W><Include source=\"item.xml\" count=\"3\"/><Include source=\"item.xml\" count=\"0\"/></W>",
        &scope.Host());
    EXPECT_EQ(L"i i i ", Names(&built.parent));
    EXPECT_EQ(3, scope.Host().CustomFontCount());
}

// Stands in for unknown elements with controls that count how many of them are alive.
class CountingCallback : public IDialogBuilderCallback {
public:
    class Counted : public CControlUI {
    public:
        explicit Counted(int& alive) : m_alive(alive) { ++m_alive; }
        ~Counted() override { --m_alive; }

    private:
        int& m_alive;
    };
    CControlUI* CreateCustomControl(const wchar_t*) override { return new Counted(alive); }
    int alive = 0;
};

TEST_F(IncludeFiles, WithoutAParentTheFirstTopLevelControlIsTheRootAndNothingOutlivesIt) {
    Write(L"counted.xml", "<W><Counted name=\"included\"/><Counted/></W>");
    const struct {
        const wchar_t* markup;
        const wchar_t* root;
    } cases[] = {
        {L"<W><Counted name=\"first\"/><Counted/><Include source=\"counted.xml\"/></W>", L"first"},
        {L"<W><Include source=\"counted.xml\" count=\"2\"/><Counted/></W>", L"included"},
    };
    for (const auto& c : cases) {
        CountingCallback callback;
        CControlUI* root = CSkinBuilder().Build(c.markup, nullptr, &callback, nullptr);
        ASSERT_NE(nullptr, root) << c.markup;
        EXPECT_EQ(CWideString(c.root), root->Name()) << c.markup;
        EXPECT_EQ(1, callback.alive) << c.markup;
        delete root;
        EXPECT_EQ(0, callback.alive) << c.markup;
    }
}

TEST_F(IncludeFiles, SelfIncludeStopsAtSixteenLevels) {
    Write(L"self.xml", "<W><Control name=\"s\"/><Include source=\"self.xml\"/></W>");
    Write(L"twice.xml", "<W><Include source=\"twice.xml\" count=\"2147483647\"/></W>");
    BuiltInto built(L"<W><Include source=\"self.xml\"/><Include source=\"twice.xml\"/></W>");
    // The document itself sits at include depth 1, then 15 more levels.
    EXPECT_EQ(CSkinBuilder::kMaxIncludeDepth, built.parent.Count());
}

// Includes inside deep elements stack documents; the tree stops at the depth one document may
// reach, and such a tree can still be laid out and painted without exhausting the stack.
TEST_F(IncludeFiles, NestingThroughIncludesIsBounded) {
    std::string open;
    std::string close;
    for (int i = 0; i < 600; ++i) {
        open += "<VerticalLayout>";
        close += "</VerticalLayout>";
    }
    Write(L"deep.xml", ("<Window>" + open + "<Include source=\"deep.xml\"/>" + close + "</Window>").c_str());
    HostScope scope;
    CControlUI* root = CSkinBuilder().Build(L"deep.xml", nullptr, nullptr, &scope.Host());
    scope.Host().AttachRoot(root);
    int depth = 0;
    for (CControlUI* c = root; c; c = static_cast<CContainerUI*>(c)->ItemAt(0)) ++depth;
    EXPECT_EQ(CSkinBuilder::kMaxControlNesting, depth);
    root->SetPos(RECT{0, 0, 300, 160});
    TestCanvas canvas(300, 160);
    root->Paint(canvas.DC(), RECT{0, 0, 300, 160});
}

}  // namespace
