#include "updater/delivery/integrity.h"

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

HashFragment ParseHashFragment(const std::string& url, Sha256Digest& digest) {
    const size_t hash = url.find('#');
    if (hash == std::string::npos) return HashFragment::None;
    const std::string fragment = url.substr(hash + 1);
    // Anything that looks meant as a hash must be one: a typo must not turn the check off.
    if (!StartsWithNoCase(fragment, kHashKey)) return HashFragment::None;
    const size_t keyLength = sizeof kHashKey - 1;
    if (fragment.size() != keyLength + 1 + 2 * digest.size() || fragment[keyLength] != '=') {
        return HashFragment::Malformed;
    }
    for (size_t i = 0; i < digest.size(); ++i) {
        const int high = HexValue(fragment[keyLength + 1 + 2 * i]);
        const int low = HexValue(fragment[keyLength + 2 + 2 * i]);
        if (high < 0 || low < 0) return HashFragment::Malformed;
        digest[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return HashFragment::Sha256;
}
