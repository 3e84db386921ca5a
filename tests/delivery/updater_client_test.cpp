// The host-side helper: quoting that survives CommandLineToArgvW, the hash fragment, the record.

#include <gtest/gtest.h>

#include <string>

#include "client/updater_client.h"
// shellapi.h needs windows.h, which the helper brings.
#include <shellapi.h>

#include "ui/util/unique_handle.h"
#include "updater/install/window_record.h"

TEST(UpdaterClient, CommandLineGivesBackEveryArgumentExactly) {
    const std::wstring tricky[] = {
        L"C:\\Program Files\\App\\app.exe", L"C:\\ends\\with\\", L"say \"hi\"", L"back\\\\\"slash", L"",
        L"https://a.test/x?y=1&z=2"};
    for (const std::wstring& argument : tricky) {
        const std::wstring line =
            updater_client::UpdaterCommandLine(L"C:\\u dir\\updater.exe", argument, argument);
        int count = 0;
        wchar_t** argv = CommandLineToArgvW(line.c_str(), &count);
        ASSERT_EQ(count, 3) << line;
        EXPECT_EQ(argv[0], std::wstring(L"C:\\u dir\\updater.exe"));
        EXPECT_EQ(argv[1], argument) << line;
        EXPECT_EQ(argv[2], argument) << line;
        LocalFree(argv);
    }
}

TEST(UpdaterClient, HashBecomesTheFragment) {
    EXPECT_EQ(updater_client::UrlWithHash(L"https://a.test/x.exe", L""), L"https://a.test/x.exe");
    EXPECT_EQ(updater_client::UrlWithHash(L"https://a.test/x.exe", L"ab"), L"https://a.test/x.exe#sha256=ab");
    EXPECT_EQ(updater_client::UrlWithHash(L"https://a.test/x.exe#old", L"ab"),
              L"https://a.test/x.exe#sha256=ab");
}

TEST(UpdaterClient, RecordIsPublishedAndWithdrawn) {
    HWND window = CreateWindowExW(0, L"STATIC", L"host", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    {
        updater_client::HostWindowRecord record;
        ASSERT_TRUE(record.Publish(window));
        EXPECT_EQ(ReadWindowRecord(kHostRecordName), window);
        // An updater that still has the record open finds no window once it is withdrawn.
        UniqueHandle stillOpen(OpenFileMappingW(FILE_MAP_READ, FALSE, kHostRecordName));
        record.Withdraw();
        EXPECT_EQ(ReadWindowRecord(kHostRecordName), nullptr);
    }
    EXPECT_EQ(ReadWindowRecord(kHostRecordName), nullptr);
    DestroyWindow(window);
}
