#include "ui/controls/child_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/layouts/layouts_rig.h"
#include "tests/support/process.h"
#include "tests/support/zip_builder.h"

namespace {

const char kPart[] = "<Window><Font name=\"Arial\" size=\"9\"/><VerticalLayout name=\"part\"/></Window>";

// A root layout holding one child layout per file name ("" for none); markup inside the
// element is never built.
CControlUI* InstallChildLayouts(HostScope& scope, const std::vector<std::wstring>& files) {
    std::wstring markup = L"<Window><VerticalLayout>";
    for (const std::wstring& file : files) {
        markup += L"<ChildLayout xmlfile=\"" + file + L"\"><Control name=\"markup\"/></ChildLayout>";
    }
    return InstallSkin(scope.Host(), (markup + L"</VerticalLayout></Window>").c_str());
}

CChildLayoutUI* ChildAt(CControlUI* root, int index) {
    return static_cast<CChildLayoutUI*>(ContainerOf(root)->ItemAt(index)->CastTo(L"ChildLayout"));
}

// How many child layouts are nested inside one another, starting with `layout`.
int NestingDepth(CChildLayoutUI* layout) {
    int depth = 0;
    for (; layout; ++depth) {
        CControlUI* next = layout->ItemAt(0);
        if (next && ContainerOf(next)) {
            next = ContainerOf(next)->ItemAt(0);
        }
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
    EXPECT_EQ(scope.Host().FindControlByName(L"part"), child->ItemAt(0));
    EXPECT_EQ(child, child->ItemAt(0)->ParentControl());
    EXPECT_EQ(1, scope.Host().CustomFontCount());  // the child skin's declarations reach the host
    EXPECT_EQ(0, ChildAt(root, 1)->Count() + ChildAt(root, 2)->Count());
    EXPECT_EQ(nullptr, scope.Host().FindControlByName(L"markup"));
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

// Files that contain themselves stop at the nesting limit, directly or through another file;
// several copies of itself on every level stop at the build budget of each outermost layout.
TEST_F(ChildLayoutFiles, SelfContainingFilesStopAtTheLimits) {
    Write(L"self.xml", "<Window><ChildLayout xmlfile=\"self.xml\"/></Window>");
    Write(L"a.xml", "<Window><VerticalLayout><ChildLayout xmlfile=\"b.xml\"/></VerticalLayout></Window>");
    Write(L"b.xml", "<Window><ChildLayout xmlfile=\"a.xml\"/></Window>");
    Write(L"fan.xml",
          "<Window><HorizontalLayout><ChildLayout xmlfile=\"fan.xml\"/><ChildLayout xmlfile=\"fan.xml\"/>"
          "<ChildLayout xmlfile=\"fan.xml\"/></HorizontalLayout></Window>");
    HostScope scope;
    CControlUI* root = InstallChildLayouts(scope, {L"self.xml", L"a.xml", L"fan.xml", L"self.xml"});
    for (int i : {0, 1, 3}) {
        EXPECT_EQ(CChildLayoutUI::kMaxNesting + 1, NestingDepth(ChildAt(root, i)));
    }
    int built = 0;
    root->FindControl(
        [](CControlUI* control, void* count) -> CControlUI* {
            auto* layout = static_cast<CChildLayoutUI*>(control->CastTo(L"ChildLayout"));
            *static_cast<int*>(count) += layout && layout->Count() > 0;
            return nullptr;
        },
        &built, 0);
    EXPECT_EQ(3 * CChildLayoutUI::kMaxNesting + CChildLayoutUI::kMaxBuildsPerTree, built);
}

}  // namespace
