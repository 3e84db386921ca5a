// The rules of Windows' proxy lists and bypass lists.

#include <gtest/gtest.h>

#include "updater/delivery/system_proxy.h"

TEST(SystemProxy, ProxyListEntryForAScheme) {
    struct Case {
        const wchar_t* list;
        const wchar_t* scheme;
        const wchar_t* expected;
    } cases[] = {
        {L"proxy.corp:8080", L"https", L"proxy.corp:8080"},
        {L"http=a:1;https=b:2", L"http", L"a:1"},
        {L"http=a:1;https=b:2", L"https", L"b:2"},
        {L"http=a:1", L"https", L""},
        {L"HTTPS=b:2 c:3", L"https", L"b:2"},
        {L"ftp=f:21;c:3", L"http", L"c:3"},
        {L"", L"http", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProxyForScheme(c.list, c.scheme), c.expected) << c.list << " " << c.scheme;
}

TEST(SystemProxy, BypassListMatching) {
    struct Case {
        const wchar_t* list;
        const wchar_t* host;
        bool bypassed;
    } cases[] = {
        {L"<local>", L"intranet", true},
        {L"<local>", L"intranet.corp", false},
        {L"*.corp.test", L"updates.corp.test", true},
        {L"*.corp.test", L"corp.test", false},
        {L"*.CORP.test; other", L"Updates.Corp.Test", true},
        {L"10.*", L"10.1.2.3", true},
        {L"10.*", L"110.1.2.3", false},
        {L"http://exact.test", L"exact.test", true},
        {L"exact.test", L"exact.test.evil", false},
        {L"", L"anything", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HostBypassesProxy(c.list, c.host), c.bypassed) << c.list << " " << c.host;
}
