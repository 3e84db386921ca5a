#pragma once
// A read-only copy of a download for Windows' own readers. The version and resource readers
// (GetFileVersionInfo, LoadLibraryEx as data) open a file by its path and will not share it with
// a writer, while the updater holds its download open for writing until it is installed. They
// read a snapshot instead: the very bytes behind the held handle, copied into a file of its own
// that is then held open refusing writers while it is read, and removed afterwards.

#include <windows.h>

#include <string>

#include "ui/util/unique_handle.h"

class FileSnapshot {
public:
    FileSnapshot() = default;
    ~FileSnapshot();
    FileSnapshot(const FileSnapshot&) = delete;
    FileSnapshot& operator=(const FileSnapshot&) = delete;

    // Copies the content of `source` to `path` (a file already there is replaced) and holds it,
    // refusing writers, once it is found to be the very same bytes: what is later run or read
    // from `path` is what was verified. False when any step fails; nothing is left at `path` then.
    bool Take(HANDLE source, const std::wstring& path);
    const std::wstring& Path() const { return path_; }

private:
    void Remove();

    std::wstring path_;
    UniqueHandle reader_;  // refuses writers and deletion while the snapshot is read
};
