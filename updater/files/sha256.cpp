#include "updater/files/sha256.h"

#include <algorithm>

bool Sha256::Finish(Sha256Digest& digest) {
    const std::string value = hash_.Finish();
    if (value.size() != digest.size()) return false;
    std::copy(value.begin(), value.end(), digest.begin());
    return true;
}

bool Sha256Of(std::string_view bytes, Sha256Digest& digest) {
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return hash.Finish(digest);
}
