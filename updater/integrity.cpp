#include "updater/integrity.h"

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

bool Succeeded(NTSTATUS status) {
    return status >= 0;
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

std::string HexDigest(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char value : digest) {
        text += kDigits[value >> 4];
        text += kDigits[value & 15];
    }
    return text;
}

// BCryptHash, the one-call form, needs Windows 10; the object form runs from Windows 7 on.
Sha256::Sha256() {
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        algorithm_ = nullptr;
        return;
    }
    if (!Succeeded(BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0))) hash_ = nullptr;
}

Sha256::~Sha256() {
    if (hash_ != nullptr) BCryptDestroyHash(hash_);
    if (algorithm_ != nullptr) BCryptCloseAlgorithmProvider(algorithm_, 0);
}

void Sha256::Update(const void* data, size_t size) {
    if (hash_ == nullptr || failed_) return;
    auto* bytes = static_cast<unsigned char*>(const_cast<void*>(data));
    while (size > 0 && !failed_) {
        const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        failed_ = !Succeeded(BCryptHashData(hash_, bytes, piece, 0));
        bytes += piece;
        size -= piece;
    }
}

bool Sha256::Finish(Sha256Digest& digest) {
    if (hash_ == nullptr || failed_) return false;
    failed_ = true;  // a CNG hash object is spent once finished
    return Succeeded(BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0));
}
