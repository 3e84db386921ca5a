// The application manifest inside the built updater.exe, read back the way Windows finds it.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tests/support/process.h"
#include "ui/markup/xml_reader.h"

namespace {

using Attributes = std::map<std::wstring, std::wstring>;

// Every element of the document by tag, in document order.
void Collect(CXmlNode node, std::multimap<std::wstring, Attributes>& out) {
    for (; node.IsValid(); node = node.NextSibling()) {
        Attributes& attributes = out.emplace(node.Tag(), Attributes())->second;
        for (int i = 0; i < node.AttrCount(); ++i) attributes[node.AttrName(i)] = node.AttrValue(i);
        attributes[L"#text"] = node.Value();
        Collect(node.FirstChild(), out);
    }
}

}  // namespace

TEST(ApplicationManifest, AsInvokerOnWindows7To11WithCommonControls6AndPerMonitorDpi) {
    HMODULE module = LoadLibraryExW((ProgramFolder() + L"updater.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    CXmlReader reader;
    ASSERT_TRUE(
        reader.LoadBytes(LockResource(LoadResource(module, resource)), SizeofResource(module, resource)))
        << reader.ErrorText();
    FreeLibrary(module);
    EXPECT_STREQ(reader.RootNode().Tag(), L"assembly");
    std::multimap<std::wstring, Attributes> elements;
    Collect(reader.RootNode(), elements);

    ASSERT_EQ(elements.count(L"requestedExecutionLevel"), 1u);
    const Attributes& level = elements.find(L"requestedExecutionLevel")->second;
    EXPECT_EQ(level, (Attributes{{L"level", L"asInvoker"}, {L"uiAccess", L"false"}, {L"#text", L""}}));

    std::set<std::wstring> systems;
    auto os = elements.equal_range(L"supportedOS");
    for (auto it = os.first; it != os.second; ++it) systems.insert(it->second[L"Id"]);
    EXPECT_EQ(systems,
              (std::set<std::wstring>{
                  L"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", L"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                  L"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", L"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));

    const Attributes commonControls{{L"type", L"win32"},      {L"name", L"Microsoft.Windows.Common-Controls"},
                                    {L"version", L"6.0.0.0"}, {L"processorArchitecture", L"*"},
                                    {L"language", L"*"},      {L"publicKeyToken", L"6595b64144ccf1df"},
                                    {L"#text", L""}};
    auto identities = elements.equal_range(L"assemblyIdentity");
    int found = 0;
    for (auto it = identities.first; it != identities.second; ++it) found += it->second == commonControls;
    EXPECT_EQ(found, 1);

    // The window scales itself: per-monitor v2 where Windows knows it, per-monitor on 8.1,
    // system aware on 7 and 8; no other DPI setting.
    std::multimap<std::wstring, Attributes> dpi;
    for (const auto& element : elements) {
        if (element.first.find(L"dpi") != std::wstring::npos) dpi.insert(element);
    }
    const wchar_t* const ns2005 = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
    const wchar_t* const ns2016 = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    EXPECT_EQ(dpi, (std::multimap<std::wstring, Attributes>{
                       {L"dpiAware", {{L"xmlns", ns2005}, {L"#text", L"true/pm"}}},
                       {L"dpiAwareness", {{L"xmlns", ns2016}, {L"#text", L"PerMonitorV2, PerMonitor"}}}}));
}
