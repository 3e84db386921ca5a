#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/zip_builder.h"
#include "ui/core/window_host.h"
#include "ui/markup/xml_reader.h"

namespace {

TEST(ResourceLocation, ExecutableFolderEndsWithItsBackslash) {
    CWindowHostUI::SetModuleInstance(nullptr);
    EXPECT_TRUE(CWindowHostUI::ExecutableFolder().IsEmpty());
    HINSTANCE self = GetModuleHandleW(nullptr);
    CWindowHostUI::SetModuleInstance(self);
    EXPECT_EQ(self, CWindowHostUI::ModuleInstance());
    EXPECT_EQ(self, CWindowHostUI::ResourceModule());
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring expected(path);
    expected.resize(expected.rfind(L'\\') + 1);
    CWideString folder = CWindowHostUI::ExecutableFolder();
    EXPECT_EQ(expected, folder.GetData());
    EXPECT_EQ(L'\\', folder[folder.GetLength() - 1]);
}

TEST(ResourceLocation, ResourceFolderGetsOneTrailingSeparator) {
    CWindowHostUI::SetResourceFolder(L"C:\\skins");
    EXPECT_STREQ(L"C:\\skins\\", CWindowHostUI::ResourceFolder());
    CWindowHostUI::SetResourceFolder(L"C:\\skins\\");
    EXPECT_STREQ(L"C:\\skins\\", CWindowHostUI::ResourceFolder());
    CWindowHostUI::SetResourceFolder(L"C:/skins/");
    EXPECT_STREQ(L"C:/skins/", CWindowHostUI::ResourceFolder());
    CWindowHostUI::SetResourceFolder(L"");
    EXPECT_STREQ(L"", CWindowHostUI::ResourceFolder());
    CWindowHostUI::SetResourceFolder(L"x");
    CWindowHostUI::SetResourceFolder(nullptr);
    EXPECT_STREQ(L"", CWindowHostUI::ResourceFolder());
}

TEST(ResourceLocation, SecondArchiveInMemoryIsIgnored) {
    // The first block stays in use after this test, so it lives as long as the program.
    const std::vector<uint8_t>& first = KeepForTheProcess(BuildZip("skin.xml", "<First/>"));
    std::vector<uint8_t> second = BuildZip("skin.xml", "<Second/>");
    CWindowHostUI::UseSkinArchiveFile(L"");
    CWindowHostUI::UseSkinArchiveMemory(first.data(), static_cast<unsigned>(first.size()));
    CZipArchive* kept = CWindowHostUI::KeptSkinArchive();
    ASSERT_NE(nullptr, kept);
    CWindowHostUI::UseSkinArchiveMemory(second.data(), static_cast<unsigned>(second.size()));
    EXPECT_EQ(kept, CWindowHostUI::KeptSkinArchive());
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadSkinFile(L"skin.xml"));
    EXPECT_STREQ(L"First", reader.RootNode().Tag());
}

TEST(ResourceLocation, SameArchiveFileIsNotReopened) {
    ScratchFolder scratch(L"location");
    const std::wstring folder = scratch.Path();
    std::vector<uint8_t> zip = BuildZip("skin.xml", "<Kept/>");
    ASSERT_TRUE(WriteWholeFile(folder + L"skin.zip", std::string(zip.begin(), zip.end())));
    CWindowHostUI::SetResourceFolder(folder.c_str());
    CWindowHostUI::UseSkinArchiveFile(L"skin.zip");
    ASSERT_NE(nullptr, CWindowHostUI::KeptSkinArchive());
    // The same name again keeps the open archive even though the folder now has no such file.
    CWindowHostUI::SetResourceFolder(L"C:\\nowhere-for-sure");
    CWindowHostUI::UseSkinArchiveFile(L"skin.zip");
    EXPECT_NE(nullptr, CWindowHostUI::KeptSkinArchive());
    CXmlReader reader;
    EXPECT_TRUE(reader.LoadSkinFile(L"skin.xml"));
    // A different name reopens, and a failed open leaves the archive kept but unusable.
    CWindowHostUI::UseSkinArchiveFile(L"other.zip");
    EXPECT_TRUE(CWindowHostUI::IsSkinArchiveKept());
    EXPECT_EQ(nullptr, CWindowHostUI::KeptSkinArchive());
    CWindowHostUI::UseSkinArchiveFile(nullptr);
    EXPECT_STREQ(L"", CWindowHostUI::SkinArchiveName());
}

}  // namespace
