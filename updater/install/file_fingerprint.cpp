#include "updater/install/file_fingerprint.h"

#include <memory>
#include <new>

#include "updater/paths.h"
#include "ui/util/unique_handle.h"

namespace {

constexpr DWORD kReadChunkBytes = 256 * 1024;

UniqueHandle OpenToAsk(const std::wstring& path, DWORD access) {
    return UniqueHandle(CreateFileW(LongPathForm(path).c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

bool FingerprintOf(HANDLE file, FileFingerprint& fingerprint) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kReadChunkBytes]);
    Sha256 hash;
    LARGE_INTEGER start = {};
    if (!buffer || !hash.Ok() || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    uint64_t size = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.get(), kReadChunkBytes, &got, nullptr)) return false;
        if (got == 0) break;
        hash.Update(buffer.get(), got);
        size += got;
    }
    fingerprint.size = size;
    return hash.Finish(fingerprint.sha256);
}

bool FingerprintOf(const std::wstring& path, FileFingerprint& fingerprint) {
    const UniqueHandle file = OpenToAsk(path, GENERIC_READ);
    return file && FingerprintOf(file.Get(), fingerprint);
}

bool HasContent(const std::wstring& path, const FileFingerprint& expected) {
    const UniqueHandle file = OpenToAsk(path, GENERIC_READ);
    LARGE_INTEGER size = {};
    // The size first: a different file is nearly always told apart without reading it.
    if (!file || !GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) != expected.size) {
        return false;
    }
    FileFingerprint actual;
    return FingerprintOf(file.Get(), actual) && actual == expected;
}

bool IdentityOf(HANDLE file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file, &info)) return false;
    identity.volumeSerial = info.dwVolumeSerialNumber;
    identity.fileIndex = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return true;
}

bool IdentityOf(const std::wstring& path, FileIdentity& identity) {
    const UniqueHandle file = OpenToAsk(path, 0);
    return file && IdentityOf(file.Get(), identity);
}

bool FileExistsAt(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
