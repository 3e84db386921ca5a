#pragma once
// The temporary file a download is written into: created fresh and exclusively by the run that
// downloads, and held open, refusing other writers and deletion, until the installation has
// copied it. Nothing another process put at that path is ever continued or installed.

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "ui/util/unique_handle.h"
#include "updater/files/file_write.h"

// Removes a file an earlier run left at `path`, clearing its read-only attribute first (one
// read-only leftover would otherwise fail every later update). Folders are left alone.
void RemoveStaleFile(const std::wstring& path);

// Creates `path` as a new, empty file for reading and writing (and deleting, once installed).
// Fails when anything already exists there. Others may open it only to read, and only when they
// allow deletion too (as virus scanners do).
UniqueHandle CreateDownloadFile(const std::wstring& path);

// Gets rid of the download open as `file` at `path` that failed: its bytes at once, its name at
// once (moved aside under a name of this process, so that an update asked for right now can
// create its download there while another handle of this run still holds the file), the file
// itself when its last handle closes. False when any step failed (the log names which).
bool DiscardDownload(HANDLE file, const std::wstring& path);

// A second handle to the same open file, for a thread that outlives the first one's owner.
UniqueHandle DuplicateFileHandle(HANDLE file);

// Writes through a buffer of several receive chunks: every write to the file system is a costly
// call (a server round trip under Wine).
class FileWriter {
public:
    explicit FileWriter(HANDLE file);
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // False when the buffer could not be allocated; nothing can be written then.
    bool Ready() const { return buffer_ != nullptr; }
    bool Write(const char* data, size_t size);
    // Writes out what is buffered. False when that or an earlier write failed.
    bool Flush();

private:
    HANDLE file_;
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    bool failed_ = false;
};
