// Shows the new-version window with sample details and ends with the answer as its exit code
// (0 now, 1 later, 2 skip). scripts/demo pictures it at 96 and 144 DPI, with
// UPDATER_TEST_OFFER_CHOICE and UPDATER_TEST_OFFER_HOLD_MS making it answer by itself, and in
// English with "--lang en" (the vendor's notes then in English too).

#include <objbase.h>
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>

#include "ui/core/window_host.h"
#include "updater/check/offer_window.h"
#include "updater/ui_language.h"

namespace {

// Release notes as the feed's HTML reduces to the text mark-up: headings bold, list items as
// bullets, one https link. Long enough to scroll.
const wchar_t kSampleNotes[] =
    L"{b}新功能{/b}{n}"
    L"• 启动时自动检查新版本，发现后询问您是否更新{n}"
    L"• 更新包经过开发商签名验证，被篡改的文件不会安装{n}"
    L"• 在高分辨率显示器上界面更清晰{n}"
    L"• 可以选择跳过某个版本，或稍后再提醒{n}{n}"
    L"{b}问题修复{/b}{n}"
    L"• 修复了网络中断后下载无法继续的问题{n}"
    L"• 修复了代理设置在某些情况下不生效的问题{n}"
    L"• 修复了窗口在多显示器间移动时文字大小不对的问题{n}"
    L"• 修复了更新完成后程序偶尔没有重新启动的问题{n}{n}"
    L"完整的变更列表请见 {a https://example.com/sample-host/releases/2.0}发布页面{/a}。";

const wchar_t kSampleNotesEnglish[] =
    L"{b}New{/b}{n}"
    L"• Checks for a new version at start and asks before updating{n}"
    L"• Updates are verified against the vendor's signature; a tampered file is never installed{n}"
    L"• Sharper on high-resolution displays{n}"
    L"• Skip a version, or be reminded later{n}{n}"
    L"{b}Fixed{/b}{n}"
    L"• A download that stopped when the network dropped{n}"
    L"• Proxy settings that were sometimes ignored{n}"
    L"• Text of the wrong size after moving the window to another display{n}"
    L"• The program sometimes not starting again after an update{n}{n}"
    L"The whole list of changes is on the {a https://example.com/sample-host/releases/2.0}release page{/a}.";

// "--lang en" or "--lang zh-CN" as the only arguments; anything else keeps the build's language.
void ChooseLanguage() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return;
    if (count == 3 && std::wstring(argv[1]) == L"--lang") {
        if (const std::optional<Language> language = ParseLanguageTag(argv[2])) SetLanguage(*language);
    }
    LocalFree(argv);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CWindowHostUI::SetModuleInstance(instance);
    CWindowHostUI::SetResourceFolder(CWindowHostUI::ExecutableFolder());
    if (FAILED(CoInitialize(nullptr))) return 3;
    OfferDetails offer;
    offer.productName = L"SampleHost";
    offer.newVersion = L"2.0";
    offer.installedVersion = L"1.0";
    ChooseLanguage();
    offer.releaseNotesMarkup = CurrentLanguage() == Language::English ? kSampleNotesEnglish : kSampleNotes;
    offer.releaseNotesLink = L"https://example.com/sample-host/releases/2.0";
    const OfferChoice choice = ShowOfferWindow(offer);
    CoUninitialize();
    return static_cast<int>(choice);
}
