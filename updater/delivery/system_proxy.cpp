// libcurl brings winsock2.h, which must precede windows.h.
#include <curl/curl.h>

#include "updater/delivery/system_proxy.h"

#include <windows.h>
#include <winhttp.h>

#include <cwctype>
#include <vector>

#include "updater/update_log.h"

namespace {

constexpr DWORD kScriptTimeoutMs = 5000;

bool IsListSeparator(wchar_t ch) {
    return ch == L';' || ch == L',' || std::iswspace(ch);
}

std::vector<std::wstring> SplitList(const std::wstring& list) {
    std::vector<std::wstring> items;
    std::wstring item;
    for (wchar_t ch : list + L";") {
        if (!IsListSeparator(ch)) {
            item += ch;
        } else if (!item.empty()) {
            items.push_back(item);
            item.clear();
        }
    }
    return items;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& ch : text) ch = static_cast<wchar_t>(std::towlower(ch));
    return text;
}

// '*' matches any run of characters; everything else one character exactly.
bool GlobMatch(const wchar_t* pattern, const wchar_t* text) {
    if (*pattern == L'\0') return *text == L'\0';
    if (*pattern == L'*')
        return GlobMatch(pattern + 1, text) || (*text != L'\0' && GlobMatch(pattern, text + 1));
    return *text != L'\0' && *pattern == *text && GlobMatch(pattern + 1, text + 1);
}

std::wstring WithoutScheme(const std::wstring& entry) {
    const size_t separator = entry.find(L"://");
    return separator == std::wstring::npos ? entry : entry.substr(separator + 3);
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t ch : text) narrow += ch < 0x80 ? static_cast<char>(ch) : '?';
    return narrow;
}

// libcurl reads these itself (http_proxy only in lower case, as it does).
std::string EnvironmentText(const char* name) {
    char value[2048];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// The proxy libcurl takes from the environment for `scheme`, in libcurl's own order (for plain
// HTTP only the lower-case name counts); empty when none is set.
std::string EnvironmentProxyFor(const std::wstring& scheme) {
    std::string proxy;
    if (scheme == L"http") proxy = EnvironmentText("http_proxy");
    if (scheme == L"https") proxy = EnvironmentText("https_proxy");
    if (scheme == L"https" && proxy.empty()) proxy = EnvironmentText("HTTPS_PROXY");
    if (proxy.empty()) proxy = EnvironmentText("all_proxy");
    if (proxy.empty()) proxy = EnvironmentText("ALL_PROXY");
    return proxy;
}

// Whether libcurl's no_proxy rule sends `host` direct: "*", or an entry (a leading dot ignored)
// that is the host or a domain it lies in.
bool EnvironmentBypasses(const std::string& host) {
    std::string list = EnvironmentText("no_proxy");
    if (list.empty()) list = EnvironmentText("NO_PROXY");
    size_t at = 0;
    while (at < list.size()) {
        size_t end = list.find_first_of(", ", at);
        if (end == std::string::npos) end = list.size();
        std::string entry = list.substr(at, end - at);
        at = end + 1;
        if (entry == "*") return true;
        if (!entry.empty() && entry[0] == '.') entry.erase(0, 1);
        if (entry.empty() || entry.size() > host.size()) continue;
        const size_t tail = host.size() - entry.size();
        if (_stricmp(host.c_str() + tail, entry.c_str()) == 0 && (tail == 0 || host[tail - 1] == '.')) return true;
    }
    return false;
}

class GlobalText {
public:
    GlobalText() = default;
    ~GlobalText() {
        if (text_ != nullptr) GlobalFree(text_);
    }
    GlobalText(const GlobalText&) = delete;
    GlobalText& operator=(const GlobalText&) = delete;
    LPWSTR* Out() { return &text_; }
    std::wstring Text() const { return text_ != nullptr ? text_ : L""; }

private:
    LPWSTR text_ = nullptr;
};

struct SystemSettings {
    bool autoDetect = false;
    std::wstring scriptUrl;
    std::wstring proxy;
    std::wstring bypass;
};

SystemSettings ReadSettings() {
    SystemSettings settings;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return settings;
    GlobalText scriptUrl, proxy, bypass;
    *scriptUrl.Out() = config.lpszAutoConfigUrl;
    *proxy.Out() = config.lpszProxy;
    *bypass.Out() = config.lpszProxyBypass;
    settings.autoDetect = config.fAutoDetect != FALSE;
    settings.scriptUrl = scriptUrl.Text();
    settings.proxy = proxy.Text();
    settings.bypass = bypass.Text();
    return settings;
}

class WinHttpSession {
public:
    WinHttpSession()
        : session_(WinHttpOpen(L"updater", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0)) {
        if (session_ != nullptr) {
            WinHttpSetTimeouts(session_, kScriptTimeoutMs, kScriptTimeoutMs, kScriptTimeoutMs,
                               kScriptTimeoutMs);
        }
    }
    ~WinHttpSession() {
        if (session_ != nullptr) WinHttpCloseHandle(session_);
    }
    WinHttpSession(const WinHttpSession&) = delete;
    WinHttpSession& operator=(const WinHttpSession&) = delete;
    HINTERNET Get() const { return session_; }

private:
    HINTERNET session_;
};

// Runs the auto-configuration script (configured or discovered) for `url`. False when there is
// none or it cannot be run; then the manual settings apply.
bool ScriptProxy(const SystemSettings& settings, const std::wstring& url, std::wstring& proxy,
                 std::wstring& bypass, bool& direct) {
    WinHttpSession session;
    if (session.Get() == nullptr) return false;
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (!settings.scriptUrl.empty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = settings.scriptUrl.c_str();
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info = {};
    if (!WinHttpGetProxyForUrl(session.Get(), url.c_str(), &options, &info)) return false;
    GlobalText list, bypassList;
    *list.Out() = info.lpszProxy;
    *bypassList.Out() = info.lpszProxyBypass;
    direct = info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY || list.Text().empty();
    // A script answers with "host:port; host2:port"; the first entry is the one to use.
    const std::vector<std::wstring> entries = SplitList(list.Text());
    proxy = entries.empty() ? std::wstring() : entries.front();
    bypass = bypassList.Text();
    return true;
}

std::string ProxyUrl(const std::wstring& entry) {
    const std::string narrow = Narrow(entry);
    return narrow.find("://") == std::string::npos ? "http://" + narrow : narrow;
}

}  // namespace

std::wstring ProxyForScheme(const std::wstring& proxyList, const std::wstring& scheme) {
    std::wstring fallback;
    for (const std::wstring& entry : SplitList(proxyList)) {
        const size_t equals = entry.find(L'=');
        if (equals == std::wstring::npos) {
            if (fallback.empty()) fallback = entry;
        } else if (Lower(entry.substr(0, equals)) == Lower(scheme)) {
            return entry.substr(equals + 1);
        }
    }
    return fallback;
}

bool HostBypassesProxy(const std::wstring& bypassList, const std::wstring& host) {
    const std::wstring name = Lower(host);
    for (const std::wstring& raw : SplitList(bypassList)) {
        const std::wstring entry = Lower(WithoutScheme(raw));
        if (entry == L"<local>") {
            if (!name.empty() && name.find(L'.') == std::wstring::npos) return true;
        } else if (GlobMatch(entry.c_str(), name.c_str())) {
            return true;
        }
    }
    return false;
}

ProxyChoice ChooseProxy(const std::string& url) {
    ProxyChoice choice;
    CURLU* parsed = curl_url();
    char* schemeText = nullptr;
    char* hostText = nullptr;
    if (parsed != nullptr && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
        curl_url_get(parsed, CURLUPART_SCHEME, &schemeText, 0);
        curl_url_get(parsed, CURLUPART_HOST, &hostText, 0);
    }
    const std::wstring scheme = Lower(FromUtf8(schemeText != nullptr ? schemeText : ""));
    const std::wstring host = FromUtf8(hostText != nullptr ? hostText : "");
    curl_free(schemeText);
    curl_free(hostText);
    curl_url_cleanup(parsed);

    const std::string environmentProxy = EnvironmentProxyFor(scheme);
    if (scheme.empty() || !environmentProxy.empty()) {
        // libcurl applies it itself; the choice only tells the log what it will use.
        choice.source = "environment";
        if (!EnvironmentBypasses(Utf8(host))) choice.proxy = environmentProxy;
        return choice;
    }
    const SystemSettings settings = ReadSettings();
    std::wstring proxy, bypass;
    bool direct = false;
    choice.fromSystem = true;
    if ((settings.autoDetect || !settings.scriptUrl.empty()) &&
        ScriptProxy(settings, FromUtf8(url.substr(0, url.find('#'))), proxy, bypass, direct)) {
        choice.source = "script";
    } else {
        choice.source = settings.proxy.empty() ? "none" : "manual";
        proxy = ProxyForScheme(settings.proxy, scheme);
        bypass = settings.bypass;
        direct = proxy.empty();
    }
    if (!direct && !HostBypassesProxy(bypass, host)) choice.proxy = ProxyUrl(proxy);
    return choice;
}

void ApplyProxy(void* curlHandle, const ProxyChoice& choice) {
    if (!choice.fromSystem) return;
    CURL* curl = static_cast<CURL*>(curlHandle);
    // An empty proxy is an explicit direct connection.
    curl_easy_setopt(curl, CURLOPT_PROXY, choice.proxy.c_str());
    if (choice.proxy.empty()) return;
    curl_easy_setopt(curl, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_NTLM | CURLAUTH_NEGOTIATE));
    // The empty user name asks SSPI for the logged-on user's own credentials.
    curl_easy_setopt(curl, CURLOPT_PROXYUSERPWD, ":");
}
