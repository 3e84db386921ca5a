#include "updater/install/file_fingerprint.h"

#include <cstdio>
#include <cstring>
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

// FILE_ID_INFO and its class number, which the headers only declare for Windows 8 and later.
struct FileIdInfo128 {
    ULONGLONG volumeSerialNumber;
    BYTE fileId[16];
};
constexpr int kFileIdInfoClass = 18;

bool IsOnFatVolume(HANDLE file) {
    wchar_t system[MAX_PATH + 1] = {};
    if (!GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1))
        return false;
    return CompareStringOrdinal(system, 3, L"FAT", 3, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(system, -1, L"exFAT", -1, TRUE) == CSTR_EQUAL;
}

bool IdentityOf(HANDLE file, FileIdentity& identity) {
    FileIdInfo128 wide = {};
    if (GetFileInformationByHandleEx(file, static_cast<FILE_INFO_BY_HANDLE_CLASS>(kFileIdInfoClass), &wide,
                                     sizeof wide)) {
        identity.volumeSerial = wide.volumeSerialNumber;
        std::memcpy(&identity.idLow, wide.fileId, 8);
        std::memcpy(&identity.idHigh, wide.fileId + 8, 8);
    } else {
        // Windows 7 knows only the 64-bit index.
        BY_HANDLE_FILE_INFORMATION info = {};
        if (!GetFileInformationByHandle(file, &info)) return false;
        identity.volumeSerial = info.dwVolumeSerialNumber;
        identity.idHigh = 0;
        identity.idLow = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    }
    identity.trusted = !IsOnFatVolume(file);
    return true;
}

std::string FormatIdentity(const FileIdentity& identity) {
    if (!identity.trusted) return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "%016llx:%016llx%016llx", static_cast<unsigned long long>(identity.volumeSerial),
                  static_cast<unsigned long long>(identity.idHigh), static_cast<unsigned long long>(identity.idLow));
    return text;
}

bool IdentityOf(const std::wstring& path, FileIdentity& identity) {
    const UniqueHandle file = OpenToAsk(path, 0);
    return file && IdentityOf(file.Get(), identity);
}

bool FileExistsAt(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {

bool SameBytes(HANDLE copy, HANDLE source, uint64_t bytes) {
    std::unique_ptr<char[]> a(new (std::nothrow) char[kReadChunkBytes]), b(new (std::nothrow) char[kReadChunkBytes]);
    LARGE_INTEGER start = {};
    if (!a || !b || !SetFilePointerEx(copy, start, nullptr, FILE_BEGIN) ||
        !SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    while (bytes > 0) {
        const DWORD chunk = bytes < kReadChunkBytes ? static_cast<DWORD>(bytes) : kReadChunkBytes;
        DWORD gotA = 0, gotB = 0;
        if (!ReadFile(copy, a.get(), chunk, &gotA, nullptr) || !ReadFile(source, b.get(), chunk, &gotB, nullptr) ||
            gotA != chunk || gotB != chunk || std::memcmp(a.get(), b.get(), chunk) != 0) {
            return false;
        }
        bytes -= chunk;
    }
    return true;
}

}  // namespace

bool IsPrefixOfContent(const std::wstring& path, const std::wstring& source, const FileFingerprint& expected) {
    const UniqueHandle copy = OpenToAsk(path, GENERIC_READ);
    LARGE_INTEGER size = {};
    if (!copy || !GetFileSizeEx(copy.Get(), &size) || static_cast<uint64_t>(size.QuadPart) > expected.size)
        return false;
    if (size.QuadPart == 0) return true;
    const UniqueHandle original = OpenToAsk(source, GENERIC_READ);
    FileFingerprint actual;
    return original && FingerprintOf(original.Get(), actual) && actual == expected &&
           SameBytes(copy.Get(), original.Get(), static_cast<uint64_t>(size.QuadPart));
}
