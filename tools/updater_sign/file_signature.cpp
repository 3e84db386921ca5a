#include "file_signature.h"

#include <windows.h>

#include "ui/util/unique_handle.h"
#include "updater/trust/ed25519.h"

bool SignWholeFile(const Ed25519Seed& seed, const std::wstring& path, FileSignature& signature) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart == 0) return false;
    UniqueHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    UniqueMappedView view(mapping ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
    if (!view) return false;
    const auto bytes = SignBytes(seed, static_cast<const std::uint8_t*>(view.Get()), static_cast<size_t>(size.QuadPart));
    signature.base64 = Base64Encode(bytes.data(), bytes.size());
    signature.length = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}
