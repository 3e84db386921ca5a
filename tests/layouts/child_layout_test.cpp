#include "ui/controls/child_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/layouts/layouts_rig.h"
#include "tests/support/process.h"
#include "tests/support/zip_builder.h"

namespace {

const char kPart[] =
    "<Window><Font name=\"Arial\" size=\"9\"/>"
    "<VerticalLayout name=\"part\"><Control name=\"inner\"/></VerticalLayout></Window>";

// The main skin: a root layout holding one child layout per "xmlfile" value given.
CControlUI* InstallChildLayouts(HostScope& scope, const std::vector<std::wstring>& files) {
    std::wstring markup = L"<Window><VerticalLayout>";
    for (const std::wstring& file : files) {
        markup += file.empty() ? L"<ChildLayout/>" : L"<ChildLayout xmlfile=\"" + file + L"\"/>";
    }
    markup += L"</VerticalLayout></Window>";
    return InstallSkin(scope.Host(), markup.c_str());
}

CChildLayoutUI* ChildAt(CControlUI* root, int index) {
    return static_cast<CChildLayoutUI*>(ContainerOf(root)->ItemAt(index)->CastTo(L"ChildLayout"));
}

// How many child layouts are nested inside one another, starting with `layout`.
int NestingDepth(CChildLayoutUI* layout) {
    int depth = 0;
    while (layout) {
        ++depth;
        CControlUI* content = layout->ItemAt(0);
        IContainerUI* list = content ? ContainerOf(content) : nullptr;
        CControlUI* next = list && list->Count() > 0 ? list->ItemAt(0) : content;
        layout = next ? static_cast<CChildLayoutUI*>(next->CastTo(L"ChildLayout")) : nullptr;
    }
    return depth;
}

class ChildLayoutFiles : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowHostUI::SetResourceFolder(m_folder.c_str());
        CWindowHostUI::UseSkinArchiveFile(L"");  // loose files
    }
    void TearDown() override { CWindowHostUI::SetResourceFolder(L""); }
    void Write(const wchar_t* name, const std::string& text) {
        ASSERT_TRUE(WriteWholeFile(m_folder + name, text));
    }

    ScratchFolder m_scratch{L"child-layouts"};
    const std::wstring m_folder = m_scratch.Path();
};

TEST_F(ChildLayoutFiles, ContentComesFromTheFolderOnInitialisation) {
    Write(L"part.xml", kPart);
    HostScope scope;
    CControlUI* root = InstallChildLayouts(scope, {L"part.xml", L"", L"missing.xml"});
    CChildLayoutUI* child = ChildAt(root, 0);
    ASSERT_EQ(1, child->Count());
    CControlUI* part = scope.Host().FindControlByName(L"part");
    EXPECT_EQ(part, child->ItemAt(0));
    EXPECT_EQ(child, part->ParentControl());
    EXPECT_NE(nullptr, scope.Host().FindControlByName(L"inner"));
    EXPECT_EQ(1, scope.Host().CustomFontCount());  // the child skin's declarations reach the host
    EXPECT_EQ(0, ChildAt(root, 1)->Count());
    EXPECT_EQ(0, ChildAt(root, 2)->Count());
    EXPECT_EQ(nullptr, child->CastTo(L"Container"));
    scope.Host().AttachRoot(root);  // initialised again: the content is replaced, not doubled
    EXPECT_EQ(1, child->Count());
}

TEST_F(ChildLayoutFiles, ContentComesFromTheArchive) {
    const std::vector<uint8_t>& zip = KeepForTheProcess(BuildZip("zipped.xml", kPart));
    CWindowHostUI::UseSkinArchiveMemory(zip.data(), static_cast<unsigned>(zip.size()));
    HostScope scope;
    CControlUI* root = InstallChildLayouts(scope, {L"zipped.xml"});
    ASSERT_EQ(1, ChildAt(root, 0)->Count());
    EXPECT_EQ(scope.Host().FindControlByName(L"part"), ChildAt(root, 0)->ItemAt(0));
}

// Markup inside the element is not built: the content comes from the file only.
TEST_F(ChildLayoutFiles, ElementChildrenAreNotBuilt) {
    Write(L"part.xml", kPart);
    HostScope scope;
    CControlUI* root =
        InstallSkin(scope.Host(),
                    L"<Window><VerticalLayout><ChildLayout xmlfile=\"part.xml\"><Control name=\"markup\"/>"
                    L"</ChildLayout></VerticalLayout></Window>");
    EXPECT_EQ(1, ChildAt(root, 0)->Count());
    EXPECT_EQ(nullptr, scope.Host().FindControlByName(L"markup"));
}

// Files that contain themselves stop at the nesting limit, directly, through another file, and
// when every level holds several copies of itself.
TEST_F(ChildLayoutFiles, SelfContainingFilesStopAtTheLimits) {
    Write(L"self.xml", "<Window><ChildLayout xmlfile=\"self.xml\"/></Window>");
    Write(L"a.xml", "<Window><VerticalLayout><ChildLayout xmlfile=\"b.xml\"/></VerticalLayout></Window>");
    Write(L"b.xml", "<Window><ChildLayout xmlfile=\"a.xml\"/></Window>");
    Write(L"fan.xml",
          "<Window><HorizontalLayout><ChildLayout xmlfile=\"fan.xml\"/>"
          "<ChildLayout xmlfile=\"fan.xml\"/><ChildLayout xmlfile=\"fan.xml\"/></HorizontalLayout></Window>");
    HostScope scope;
    CControlUI* root = InstallChildLayouts(scope, {L"self.xml", L"a.xml", L"fan.xml", L"self.xml"});
    EXPECT_EQ(CChildLayoutUI::kMaxNesting + 1, NestingDepth(ChildAt(root, 0)));
    EXPECT_EQ(CChildLayoutUI::kMaxNesting + 1, NestingDepth(ChildAt(root, 1)));
    // Each outermost build has its own budget.
    EXPECT_EQ(CChildLayoutUI::kMaxNesting + 1, NestingDepth(ChildAt(root, 3)));
    int built = 0;
    root->FindControl(
        [](CControlUI* control, void* count) -> CControlUI* {
            if (control->CastTo(L"ChildLayout") && static_cast<CChildLayoutUI*>(control)->Count() > 0) {
                ++*static_cast<int*>(count);
            }
            return nullptr;
        },
        &built, 0);
    EXPECT_EQ(3 * CChildLayoutUI::kMaxNesting + CChildLayoutUI::kMaxBuildsPerTree, built);
}

}  // namespace
