#include "updater/delivery/integrity.h"

#include <cstring>

namespace {

const char kHashKey[] = "sha256";

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
    if (fragment.size() <= keyLength || fragment[keyLength] != '=' ||
        !ParseHexDigest(std::string_view(fragment).substr(keyLength + 1), digest)) {
        return HashFragment::Malformed;
    }
    return HashFragment::Sha256;
}
