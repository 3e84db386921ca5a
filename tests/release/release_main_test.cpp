#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "updater/package/release_main.h"

namespace {

TEST(ReleaseMain, HoldsTheMainProgramToTheSingleFileRules) {
    ScratchFolder scratch(L"release-main");
    WriteWholeFile(scratch.Path() + L"notes.txt", "not a program");
    const struct {
        const char* name;
        const wchar_t* staged;
        const wchar_t* installed = L"host_app_v1.exe";
        const wchar_t* version = L"2.0.0";
        const wchar_t* product = L"Feed Test Host";
        const wchar_t* machine = L"x86";
        std::string rule = "";
    } cases[] = {
        {"newer release", L"host_app_v2.exe"},
        {"not the manifest's version", L"host_app_v2.exe", L"host_app_v1.exe", L"2.1", L"Feed Test Host", L"x86",
         "not the offered version"},
        {"older than installed", L"host_app_v1.exe", L"host_app_v2.exe", L"1.0.0", L"Feed Test Host", L"x86",
         "not newer than the installed version"},
        {"program of another product", L"host_app_v2_other.exe", L"host_app_v1.exe", L"2.0.0", L"Feed Test Host",
         L"x86", "another product"},
        {"manifest of another product", L"host_app_v2.exe", L"host_app_v1.exe", L"2.0.0", L"Other", L"x86",
         "another product"},
        {"manifest for another machine", L"host_app_v2.exe", L"host_app_v1.exe", L"2.0.0", L"Feed Test Host", L"x64",
         "for another machine"},
        {"no program", nullptr, L"host_app_v1.exe", L"2.0.0", L"Feed Test Host", L"x86", "not a Windows program"},
    };
    for (const auto& c : cases) {
        PackageManifest manifest;
        manifest.main = L"App.exe";
        manifest.version = c.version;
        manifest.product = c.product;
        manifest.machine = c.machine;
        const std::wstring staged = c.staged ? ProgramFolder() + c.staged : scratch.Path() + L"notes.txt";
        PackageRefusal refusal;
        EXPECT_EQ(c.rule.empty(), MainProgramPasses(manifest, staged, ProgramFolder() + c.installed, refusal)) << c.name;
        EXPECT_EQ(c.rule, refusal.rule) << c.name;
        EXPECT_EQ(c.rule.empty() ? L"" : L"App.exe", refusal.path) << c.name;
    }
}

}  // namespace
