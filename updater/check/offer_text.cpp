// The new-version window's texts and link rule.

#include "updater/check/offer_text.h"

#include <cwchar>
#include <cwctype>

#include "updater/feed/shell_text.h"
#include "updater/ui_texts.h"

namespace {

constexpr std::wstring_view kHttpsScheme = L"https://";
// Longer URLs are cut by some browsers and the shell; nothing real is that long.
constexpr size_t kMaxLinkLength = 2048;
// A hold longer than this would leave a test waiting for a window nobody looks at.
constexpr DWORD kMaxHoldMs = 120000;

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::towlower(text[i]) != prefix[i]) return false;
    }
    return true;
}

bool IsRefusedLinkCharacter(wchar_t ch) {
    return ch <= L' ' || ch == 0x7F || std::wstring_view(L"<>{}\"\\").find(ch) != std::wstring_view::npos;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[64] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 64);
    return length > 0 && length < 64 ? std::wstring(value, length) : std::wstring();
}

}  // namespace

bool IsOpenableLink(std::wstring_view url) {
    if (url.size() > kMaxLinkLength || !StartsWithNoCase(url, kHttpsScheme)) return false;
    const std::wstring_view rest = url.substr(kHttpsScheme.size());
    if (rest.empty() || rest[0] == L'/' || rest[0] == L'?' || rest[0] == L'#') return false;
    for (wchar_t ch : url) {
        if (IsRefusedLinkCharacter(ch)) return false;
    }
    return !ShellWouldExpand(url);
}

std::wstring OfferVersionLine(const OfferDetails& details) {
    const std::wstring product = details.productName.empty() ? UiText(TextId::NewVersionFallback) : details.productName;
    std::wstring line = FillIn(UiText(TextId::VersionReleased), {product, details.newVersion});
    if (!details.installedVersion.empty()) line += FillIn(UiText(TextId::InstalledVersion), {details.installedVersion});
    return line;
}

std::wstring ReleaseNotesLinkMarkup(std::wstring_view url) {
    if (!IsOpenableLink(url)) return std::wstring();
    return L"{a " + std::wstring(url) + L"}" + UiText(TextId::FullNotesLink) + L"{/a}";
}

std::optional<OfferChoice> ParseOfferChoice(std::wstring_view text) {
    static const struct {
        const wchar_t* name;
        OfferChoice choice;
    } kChoices[] = {
        {L"now", OfferChoice::InstallNow}, {L"later", OfferChoice::Later}, {L"skip", OfferChoice::Skip}};
    for (const auto& entry : kChoices) {
        if (text.size() == std::wcslen(entry.name) && StartsWithNoCase(text, entry.name)) return entry.choice;
    }
    return std::nullopt;
}

const char* OfferChoiceName(OfferChoice choice) {
    switch (choice) {
        case OfferChoice::InstallNow: return "now";
        case OfferChoice::Skip: return "skip";
        case OfferChoice::Later: break;
    }
    return "later";
}

std::optional<OfferTestAnswer> OfferTestAnswerFromEnvironment() {
    const std::optional<OfferChoice> choice = ParseOfferChoice(Environment(L"UPDATER_TEST_OFFER_CHOICE"));
    if (!choice) return std::nullopt;
    OfferTestAnswer answer;
    answer.choice = *choice;
    const std::wstring hold = Environment(L"UPDATER_TEST_OFFER_HOLD_MS");
    const unsigned long ms = hold.empty() ? 0 : std::wcstoul(hold.c_str(), nullptr, 10);
    answer.holdMs = ms > kMaxHoldMs ? kMaxHoldMs : static_cast<DWORD>(ms);
    return answer;
}
