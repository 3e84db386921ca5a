#include "updater/delivery/file_snapshot.h"

#include <cstring>

#include "updater/delivery/download_file.h"
#include "updater/paths.h"

namespace {

// Writes the whole content of `source` into `target` through a mapping, which leaves the file
// position of the source (shared with the update window's handle) where it is.
bool CopyContent(HANDLE source, HANDLE target) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(source, &size) || size.QuadPart <= 0 || size.HighPart != 0) return false;
    const UniqueHandle mapping(CreateFileMappingW(source, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return false;
    const UniqueMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    return view && WriteAll(target, static_cast<const char*>(view.Get()), static_cast<size_t>(size.QuadPart));
}

// Whether `held` has exactly the bytes of `source`. The snapshot is written, closed and then
// reopened refusing writers; whatever another program wrote in that moment shows here.
bool SameContent(HANDLE source, HANDLE held) {
    LARGE_INTEGER sourceSize, heldSize;
    if (!GetFileSizeEx(source, &sourceSize) || !GetFileSizeEx(held, &heldSize)) return false;
    if (sourceSize.QuadPart != heldSize.QuadPart || sourceSize.QuadPart <= 0) return false;
    const UniqueHandle sourceMapping(CreateFileMappingW(source, nullptr, PAGE_READONLY, 0, 0, nullptr));
    const UniqueHandle heldMapping(CreateFileMappingW(held, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!sourceMapping || !heldMapping) return false;
    const UniqueMappedView sourceView(MapViewOfFile(sourceMapping.Get(), FILE_MAP_READ, 0, 0, 0));
    const UniqueMappedView heldView(MapViewOfFile(heldMapping.Get(), FILE_MAP_READ, 0, 0, 0));
    return sourceView && heldView &&
           memcmp(sourceView.Get(), heldView.Get(), static_cast<size_t>(sourceSize.QuadPart)) == 0;
}

}  // namespace

FileSnapshot::~FileSnapshot() {
    Remove();
}

bool FileSnapshot::Take(HANDLE source, const std::wstring& path) {
    Remove();
    RemoveStaleFile(path);
    path_ = path;
    {
        const UniqueHandle writer = CreateDownloadFile(path);
        if (!writer || !CopyContent(source, writer.Get())) {
            Remove();
            return false;
        }
    }
    reader_.Reset(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!reader_ || !SameContent(source, reader_.Get())) Remove();
    return !path_.empty();
}

void FileSnapshot::Remove() {
    reader_.Reset();
    if (!path_.empty()) DeleteFileW(LongPathForm(path_).c_str());
    path_.clear();
}
