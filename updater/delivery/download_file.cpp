#include "updater/delivery/download_file.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "updater/paths.h"
#include "updater/update_log.h"

namespace {

constexpr size_t kWriteBufferBytes = 512 * 1024;

// The name a discarded download is moved to, unique to this process and moment.
std::wstring AsideName(const std::wstring& path) {
    wchar_t suffix[40];
    std::swprintf(suffix, sizeof suffix / sizeof suffix[0], L".%lx-%lx.discarded", GetCurrentProcessId(),
                  GetTickCount());
    return path + suffix;
}

// Renames the open file through its handle (which needs DELETE access), never replacing anything.
bool RenameOpenFile(HANDLE file, const std::wstring& newPath) {
    const std::wstring name = LongPathForm(newPath);
    const DWORD nameBytes = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = nameBytes;
    std::memcpy(rename->FileName, name.data(), nameBytes);
    const DWORD size = static_cast<DWORD>(buffer.size());
    return SetFileInformationByHandle(file, FileRenameInfo, rename, size) != FALSE;
}

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

bool DiscardDownload(HANDLE file, const std::wstring& path) {
    LARGE_INTEGER start = {};
    const bool emptied = SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    // Moved before it is marked: a file waiting for deletion can no longer be renamed.
    const bool moved = RenameOpenFile(file, AsideName(path));
    const bool marked = DeleteWhenClosed(file);
    if (!emptied || !moved || !marked) {
        LogLine("download: the failed download is not wholly removed (error %lu; emptied %d, moved %d, "
                "marked %d)",
                GetLastError(), emptied, moved, marked);
    } else {
        LogLine("download: the failed download is removed");
    }
    return emptied && moved && marked;
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
