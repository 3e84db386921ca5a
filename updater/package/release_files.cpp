#include "updater/package/release_files.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "updater/package/package_extract.h"
#include "updater/paths.h"
#include "ui/util/unique_handle.h"

namespace {

constexpr DWORD kReadChunk = 256 * 1024;
constexpr wchar_t kCurrentStaged[] = L"current.new";

void Walk(const std::wstring& folder, const std::wstring& relative, std::vector<std::wstring>& files) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((ReleasePath(folder, relative.empty() ? L"*" : relative + L"/*")).c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = relative.empty() ? name : relative + L"/" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Walk(folder, path, files);
        } else {
            files.push_back(path);
        }
    } while (FindNextFileW(find.Get(), &data));
}

// Folders first found deepest: a folder is removed only once all below it went.
void RemoveEmptyFolders(const std::wstring& folder, const std::wstring& relative) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((ReleasePath(folder, relative.empty() ? L"*" : relative + L"/*")).c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L".." || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
            RemoveEmptyFolders(folder, relative.empty() ? name : relative + L"/" + name);
        } while (FindNextFileW(find.Get(), &data));
    }
    // Refused while anything is left inside, which is what keeps the user's files.
    RemoveDirectoryW(relative.empty() ? LongPathForm(folder).c_str() : ReleasePath(folder, relative).c_str());
}

bool WriteFlushed(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file.Get());
}

}  // namespace

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files;
    Walk(folder, L"", files);
    std::sort(files.begin(), files.end());
    return files;
}

bool FileHoldsContent(const std::wstring& path, uint64_t size, const Sha256Digest& sha256) {
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER length;
    if (!file || !GetFileSizeEx(file.Get(), &length) || static_cast<uint64_t>(length.QuadPart) != size) return false;
    std::unique_ptr<char[]> buffer(new char[kReadChunk]);
    Sha256 hash;
    for (DWORD got = 1; got > 0;) {
        if (!ReadFile(file.Get(), buffer.get(), kReadChunk, &got, nullptr)) return false;
        hash.Update(buffer.get(), got);
    }
    Sha256Digest digest;
    return hash.Finish(digest) && digest == sha256;
}

bool RoomFor(const std::wstring& folder, uint64_t bytes) {
    constexpr uint64_t kMarginBytes = 64ull * 1024 * 1024;
    ULARGE_INTEGER available;
    return GetDiskFreeSpaceExW(LongPathForm(folder).c_str(), &available, nullptr, nullptr) &&
           available.QuadPart >= bytes + kMarginBytes;
}

bool ReadCurrent(const std::wstring& root, ReleasePointer& pointer) {
    UniqueHandle file(CreateFileW(ReleasePath(root, kCurrentName).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    char text[512];
    DWORD got = 0;
    return file && ReadFile(file.Get(), text, sizeof text, &got, nullptr) &&
           ParseReleasePointer(std::string_view(text, got), pointer);
}

bool IsReleaseLayout(const std::wstring& launcherPath) {
    ReleasePointer pointer;
    return ReadCurrent(FolderOf(launcherPath), pointer);
}

bool SwitchCurrent(const std::wstring& root, const ReleasePointer& pointer) {
    const std::wstring staged = ReleasePath(root, kCurrentStaged), current = ReleasePath(root, kCurrentName);
    return WriteFlushed(staged, FormatReleasePointer(pointer)) &&
           MoveFileExW(staged.c_str(), current.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

std::vector<std::wstring> RemoveReleaseFiles(const std::wstring& folder, const CleanUpPlan& plan) {
    std::vector<std::wstring> held;
    for (const std::wstring& path : plan.remove) {
        const std::wstring full = ReleasePath(folder, path);
        const DWORD attributes = GetFileAttributesW(full.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(full.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (!DeleteFileW(full.c_str())) held.push_back(path);
    }
    RemoveEmptyFolders(folder, L"");
    return held;
}

bool CarryOver(const std::wstring& liveFolder, const std::wstring& newFolder, const std::vector<CarriedFile>& plan,
               std::wstring& failed) {
    for (const CarriedFile& file : plan) {
        if (!CreateFoldersAlong(newFolder, file.to) ||
            !CopyFileW(ReleasePath(liveFolder, file.from).c_str(), ReleasePath(newFolder, file.to).c_str(), TRUE)) {
            failed = file.from;
            return false;
        }
    }
    return true;
}

std::vector<std::wstring> LinkUnchanged(const std::wstring& liveFolder, const std::wstring& newFolder,
                                        const PackageManifest& next, const std::vector<std::wstring>& unchanged) {
    std::vector<std::wstring> left;
    for (const std::wstring& path : unchanged) {
        const PackageFile* file = next.FileAt(path);
        const std::wstring live = ReleasePath(liveFolder, path);
        const bool linked = file != nullptr && FileHoldsContent(live, file->size, file->sha256) &&
                            CreateFoldersAlong(newFolder, path) &&
                            CreateHardLinkW(ReleasePath(newFolder, path).c_str(), live.c_str(), nullptr);
        if (!linked) left.push_back(path);
    }
    return left;
}
