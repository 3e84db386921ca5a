#include <gtest/gtest.h>

#include "updater/feed/relative_url.h"

namespace {

TEST(RelativeUrl, ResolvesAgainstTheFeedsFinalUrl) {
    const std::wstring base = L"https://example.test/feeds/win/appcast.xml?os=win#top";
    struct Case {
        const wchar_t* reference;
        const wchar_t* resolved;
    } const cases[] = {
        {L"app-2.0.exe", L"https://example.test/feeds/win/app-2.0.exe"},
        {L"./app.msi?x=1", L"https://example.test/feeds/win/app.msi?x=1"},
        {L"../notes/2.0.html", L"https://example.test/feeds/notes/2.0.html"},
        {L"../../../../up.exe", L"https://example.test/up.exe"},
        {L"/downloads/app.exe", L"https://example.test/downloads/app.exe"},
        {L"//cdn.example.test/app.exe", L"https://cdn.example.test/app.exe"},
        {L"?os=x64", L"https://example.test/feeds/win/appcast.xml?os=x64"},
        {L"#notes", L"https://example.test/feeds/win/appcast.xml?os=win#notes"},
        {L"http://other.test/app.exe", L"http://other.test/app.exe"},  // absolute: kept, the https rule refuses it
        {L"HTTPS://Other.test/a.exe", L"HTTPS://Other.test/a.exe"},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.resolved, ResolveUrl(base, c.reference)) << c.reference;
    EXPECT_EQ(L"https://example.test/app.exe", ResolveUrl(L"https://example.test", L"app.exe"));
}

}  // namespace
