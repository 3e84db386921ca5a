#include <gtest/gtest.h>

#include "updater/install/installer_run.h"

namespace {

TEST(InstallerRun, CommandLinesAndSuccessCodes) {
    struct Case {
        InstallerLaunch launch;
        const wchar_t* commandLine;
        bool throughMsiexec;
    } const cases[] = {
        {{L"C:\\T\\app-installer.exe", false, L"/S /D=C:\\App"}, L"\"C:\\T\\app-installer.exe\" /S /D=C:\\App", false},
        {{L"C:\\T\\app installer.exe", false, L""}, L"\"C:\\T\\app installer.exe\"", false},
        {{L"C:\\T\\app-installer.msi", true, L"/qn REBOOT=ReallySuppress"},
         L"msiexec /i \"C:\\T\\app-installer.msi\" /qn REBOOT=ReallySuppress", true},
        {{L"C:\\T\\app-installer.msi", true, L""}, L"msiexec /i \"C:\\T\\app-installer.msi\"", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.commandLine, InstallerCommandLine(c.launch));
        const std::wstring program = InstallerProgram(c.launch);
        EXPECT_EQ(c.throughMsiexec, program.size() > 12 && program.substr(program.size() - 12) == L"\\msiexec.exe")
            << program;
    }
    for (DWORD code : {0ul, 3010ul, 1641ul}) EXPECT_TRUE(IsInstallerSuccess(code)) << code;
    for (DWORD code : {1ul, 1602ul, 1603ul, 1618ul, 3011ul, 0xC0000005ul}) EXPECT_FALSE(IsInstallerSuccess(code)) << code;
}

}  // namespace
