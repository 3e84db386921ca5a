// The application manifest inside the built updater.exe, read back the way Windows finds it.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "ui/markup/xml_reader.h"

namespace {

struct Element {
    std::wstring tag;
    std::map<std::wstring, std::wstring> attributes;
};

void Flatten(CXmlNode node, std::vector<Element>& out) {
    for (; node.IsValid(); node = node.NextSibling()) {
        Element element{node.Tag(), {}};
        for (int i = 0; i < node.AttrCount(); ++i) element.attributes[node.AttrName(i)] = node.AttrValue(i);
        out.push_back(element);
        Flatten(node.FirstChild(), out);
    }
}

std::vector<Element> ElementsTagged(const std::vector<Element>& all, const std::wstring& tag) {
    std::vector<Element> found;
    for (const Element& element : all) {
        if (element.tag == tag) found.push_back(element);
    }
    return found;
}

}  // namespace

TEST(ApplicationManifest, AsInvokerOnWindows7To11WithCommonControls6AndNoDpiClaim) {
    HMODULE module = LoadLibraryExW((ProgramFolder() + L"updater.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const void* bytes = LockResource(LoadResource(module, resource));
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadBytes(bytes, SizeofResource(module, resource))) << reader.ErrorText();
    FreeLibrary(module);
    std::vector<Element> all;
    Flatten(reader.RootNode(), all);

    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0].tag, L"assembly");
    EXPECT_EQ(all[0].attributes[L"manifestVersion"], L"1.0");

    const auto levels = ElementsTagged(all, L"requestedExecutionLevel");
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0].attributes.at(L"level"), L"asInvoker");
    EXPECT_EQ(levels[0].attributes.at(L"uiAccess"), L"false");

    std::set<std::wstring> systems;
    for (const Element& os : ElementsTagged(all, L"supportedOS")) systems.insert(os.attributes.at(L"Id"));
    EXPECT_EQ(systems,
              (std::set<std::wstring>{
                  L"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", L"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                  L"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", L"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));

    bool commonControls6 = false;
    for (const Element& identity : ElementsTagged(all, L"assemblyIdentity")) {
        auto attributes = identity.attributes;
        commonControls6 |= attributes[L"name"] == L"Microsoft.Windows.Common-Controls" &&
                           attributes[L"version"] == L"6.0.0.0" &&
                           attributes[L"publicKeyToken"] == L"6595b64144ccf1df" &&
                           attributes[L"processorArchitecture"] == L"*";
    }
    EXPECT_TRUE(commonControls6);

    // Declaring DPI awareness would stop Windows from scaling a skin laid out in pixels.
    for (const Element& element : all) {
        std::wstring tag = element.tag;
        for (wchar_t& ch : tag) ch = static_cast<wchar_t>(towlower(ch));
        EXPECT_EQ(tag.find(L"dpi"), std::wstring::npos) << element.tag;
    }
}
