#include "updater/delivery/download_file.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "updater/paths.h"

namespace {

constexpr size_t kWriteBufferBytes = 512 * 1024;

}  // namespace

void RemoveStaleFile(const std::wstring& path) {
    const std::wstring name = LongPathForm(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileW(name.c_str());
}

UniqueHandle CreateDownloadFile(const std::wstring& path) {
    // CREATE_NEW, never "open or create": a file that appeared after the stale one was removed
    // (or one still held open by someone) is not ours to fill.
    return UniqueHandle(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void DeleteWhenClosed(HANDLE file) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

UniqueHandle DuplicateFileHandle(HANDLE file) {
    HANDLE copy = nullptr;
    const HANDLE process = GetCurrentProcess();
    if (file == nullptr || file == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(process, file, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return UniqueHandle();
    }
    return UniqueHandle(copy);
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, piece, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

FileWriter::FileWriter(HANDLE file) : file_(file), buffer_(new (std::nothrow) char[kWriteBufferBytes]) {}

bool FileWriter::Write(const char* data, size_t size) {
    if (used_ + size > kWriteBufferBytes && !Flush()) return false;
    if (size >= kWriteBufferBytes) {
        if (!WriteAll(file_, data, size)) failed_ = true;
        return !failed_;
    }
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
    return true;
}

bool FileWriter::Flush() {
    if (used_ > 0 && !WriteAll(file_, buffer_.get(), used_)) failed_ = true;
    used_ = 0;
    return !failed_;
}
