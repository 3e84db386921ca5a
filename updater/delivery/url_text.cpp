#include "updater/delivery/url_text.h"

#include <windows.h>

#include <cstring>
#include <cwctype>

namespace {

std::string ToCodePage(UINT codePage, const std::wstring& wide) {
    const int bytes = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &text[0], bytes, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    return text;
}

bool IsPrintableAscii(unsigned char byte) {
    return byte > 0x20 && byte < 0x7F;
}

}  // namespace

std::string UrlForTransfer(const std::wstring& url) {
    // Through the ANSI code page a character it lacks would become "?" (and a Chinese system
    // would send GBK bytes); servers expect UTF-8, and libcurl refuses raw blanks.
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char ch : ToCodePage(CP_UTF8, url)) {
        const auto value = static_cast<unsigned char>(ch);
        if (IsPrintableAscii(value)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[value >> 4];
            encoded += kHex[value & 0x0F];
        }
    }
    return encoded;
}

std::string ToAnsi(const std::wstring& wide) {
    return ToCodePage(CP_ACP, wide);
}

std::wstring UrlForLog(const std::wstring& url) {
    const size_t schemeEnd = url.find(L"://");
    if (schemeEnd == std::wstring::npos) {
        return url;
    }
    const size_t authority = schemeEnd + 3;
    const size_t authorityEnd = url.find_first_of(L"/?#", authority);
    const size_t at = url.rfind(L'@', authorityEnd == std::wstring::npos ? std::wstring::npos : authorityEnd - 1);
    if (at == std::wstring::npos || at < authority) {
        return url;
    }
    return url.substr(0, authority) + L"***" + url.substr(at);
}

bool IsHttpsUrl(const std::wstring& url) {
    static const wchar_t kScheme[] = L"https://";
    if (url.size() < 8) return false;
    for (size_t i = 0; i < 8; ++i) {
        if (std::towlower(url[i]) != kScheme[i]) return false;
    }
    return true;
}
