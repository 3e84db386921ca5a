#pragma once
// The proxy the user configured in Windows' Internet Options. libcurl knows only the
// http_proxy/https_proxy environment variables, so behind a corporate proxy the updater would
// fail where every browser works. The manual proxy and its bypass list, and an auto-configuration
// script (through WinHTTP) where one is configured, decide the proxy of a transfer; the
// environment variables still win when set.

#include <string>

struct ProxyChoice {
    bool fromSystem = false;  // false: libcurl's own behaviour (environment variables, else direct)
    std::string proxy;        // "http://host:port", or empty for a direct connection
    std::string source;       // for the log: "environment", "manual", "script", "none"
};

// The entry of a Windows proxy list ("host:port", or "http=host:port;https=host:port") that
// serves `scheme`; empty when none does.
std::wstring ProxyForScheme(const std::wstring& proxyList, const std::wstring& scheme);

// True when `host` matches an entry of a Windows bypass list: entries separated by ";" or white
// space, "*" as a wildcard, case ignored, "<local>" for host names without a dot.
bool HostBypassesProxy(const std::wstring& bypassList, const std::wstring& host);

// The proxy for `url` (UTF-8) as the user's settings say.
ProxyChoice ChooseProxy(const std::string& url);

// Applies the choice to a libcurl handle. A proxy that asks for NTLM or Negotiate gets the
// logged-on user's credentials through SSPI, as browsers do.
void ApplyProxy(void* curl, const ProxyChoice& choice);
