#include "updater/files/sha256.h"

// Apart from the hashing itself, so that a program that only reads and writes digests (the
// launcher reads `current`) does not load the platform's crypto library.

namespace {

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
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

std::string HexDigest(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char value : digest) {
        text += kDigits[value >> 4];
        text += kDigits[value & 15];
    }
    return text;
}
