#include "updater/delivery/integrity.h"

#include <algorithm>
#include <cstring>

namespace {

const char kHashKey[] = "sha256";

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const size_t length = std::strlen(prefix);
    return text.size() >= length && _strnicmp(text.c_str(), prefix, length) == 0;
}

}  // namespace

bool ParseHexDigest(std::string_view text, Sha256Digest& digest) {
    if (text.size() != 2 * digest.size()) return false;
    for (size_t i = 0; i < digest.size(); ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        digest[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return true;
}

HashFragment ParseHashFragment(const std::string& url, Sha256Digest& digest) {
    const size_t hash = url.find('#');
    if (hash == std::string::npos) return HashFragment::None;
    const std::string fragment = url.substr(hash + 1);
    // Anything that looks meant as a hash must be one: a typo must not turn the check off.
    if (!StartsWithNoCase(fragment, kHashKey)) return HashFragment::None;
    const size_t keyLength = sizeof kHashKey - 1;
    if (fragment.size() <= keyLength || fragment[keyLength] != '=' ||
        !ParseHexDigest(std::string_view(fragment).substr(keyLength + 1), digest)) {
        return HashFragment::Malformed;
    }
    return HashFragment::Sha256;
}

std::string HexDigest(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char value : digest) {
        text += kDigits[value >> 4];
        text += kDigits[value & 15];
    }
    return text;
}

bool Sha256::Finish(Sha256Digest& digest) {
    const std::string value = hash_.Finish();
    if (value.size() != digest.size()) return false;
    std::copy(value.begin(), value.end(), digest.begin());
    return true;
}
