#include "ui/core/skin_resource_reader.h"

#include <new>

#include "ui/core/window_host.h"
#include "ui/util/unique_handle.h"
#include "ui/util/zip_archive.h"

namespace {

// The buffer is the one allocation of a read; running out of memory is a failed read, not an
// exception escaping into the caller.
bool MakeRoom(std::vector<unsigned char>* bytes, size_t size) {
    try {
        bytes->resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        bytes->clear();
        return false;
    }
}

SkinReadResult ReadLooseFile(const CWideString& path, unsigned maxSize, std::vector<unsigned char>* bytes) {
    UniqueHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        return SkinReadResult::FileOpenFailed;
    }
    DWORD high = 0;
    DWORD size = GetFileSize(file.Get(), &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return SkinReadResult::FileReadFailed;
    }
    if (size == 0 && high == 0) {
        return SkinReadResult::FileEmpty;
    }
    if (high != 0 || size > maxSize) {
        return SkinReadResult::FileTooLarge;
    }
    if (!MakeRoom(bytes, size)) {
        return SkinReadResult::OutOfMemory;
    }
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes->data(), size, &read, nullptr) || read != size) {
        bytes->clear();
        return SkinReadResult::FileReadFailed;
    }
    return SkinReadResult::Ok;
}

SkinReadResult ReadEntry(CZipArchive* archive, const wchar_t* name, unsigned maxSize,
                         std::vector<unsigned char>* bytes) {
    if (archive == nullptr || !archive->IsOpen()) {
        return SkinReadResult::ArchiveOpenFailed;
    }
    if (!archive->FindEntry(name)) {
        return SkinReadResult::EntryNotFound;
    }
    // Compared in 64 bits: a zip64 entry of exactly 4 GiB must read as too large, not as empty.
    uint64_t size = archive->EntrySize();
    if (size == 0) {
        return SkinReadResult::FileEmpty;
    }
    if (size > maxSize) {
        return SkinReadResult::FileTooLarge;
    }
    if (!MakeRoom(bytes, static_cast<size_t>(size))) {
        return SkinReadResult::OutOfMemory;
    }
    if (!archive->ExtractEntry(bytes->data(), static_cast<unsigned>(size))) {
        bytes->clear();
        return SkinReadResult::UnzipFailed;
    }
    return SkinReadResult::Ok;
}

}  // namespace

SkinReadResult ReadSkinResource(const wchar_t* name, unsigned maxSize, std::vector<unsigned char>* bytes) {
    bytes->clear();
    if (name == nullptr) {
        name = L"";
    }
    const CWideString& archiveName = CWindowHostUI::SkinArchiveName();
    if (archiveName.IsEmpty()) {
        return ReadLooseFile(CWindowHostUI::ResourceFolder() + name, maxSize, bytes);
    }
    if (CWindowHostUI::IsSkinArchiveKept()) {
        return ReadEntry(CWindowHostUI::KeptSkinArchive(), name, maxSize, bytes);
    }
    CZipArchive ownArchive;  // opened for this read only, closed on every path
    ownArchive.OpenFile(CWindowHostUI::ResourceFolder() + archiveName);
    return ReadEntry(&ownArchive, name, maxSize, bytes);
}

SkinReadResult ReadSkinFileAtPath(const wchar_t* path, unsigned maxSize, std::vector<unsigned char>* bytes) {
    bytes->clear();
    return ReadLooseFile(path ? path : L"", maxSize, bytes);
}
