#include "updater/files/sha256.h"

#include <algorithm>

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
