#pragma once
// Writes a zip archive (deflate, UTF-8 names) straight to a file, one entry at a time, without
// holding an entry in memory: a release may be hundreds of MiB and the tool is a 32-bit
// process. Each entry's local header is written first with room for its sizes and CRC and
// filled in once the entry is done. Archives stay below 4 GiB (no zip64): larger is refused.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/util/unique_handle.h"

class ZipWriter {
public:
    // Creates `path` (never over an existing file).
    bool Create(const std::wstring& path);
    // An entry from the bytes given.
    bool AddBytes(const std::string& name, const std::string& bytes, bool readOnly = false);
    // An entry from the file at `source`, read in chunks.
    bool AddFile(const std::string& name, const std::wstring& source, bool readOnly);
    // A folder entry ("name/").
    bool AddFolder(const std::string& name);
    // Writes the central directory, flushes and closes; the archive is whole only after this.
    bool Finish();

private:
    struct Entry {
        std::string name;
        uint32_t crc = 0, compressed = 0, size = 0, offset = 0;
        uint16_t method = 8;
        bool readOnly = false;
    };
    // Fills `buffer` with the entry's next bytes; `got` is 0 at its end.
    using ChunkSource = std::function<bool(char* buffer, DWORD capacity, DWORD& got)>;
    bool AddDeflated(const std::string& name, bool readOnly, const ChunkSource& next);
    bool Begin(Entry& entry);
    bool End(const Entry& entry);
    bool Write(const void* data, size_t size);
    bool Deflate(Entry& entry, const void* data, size_t size, bool last);
    uint32_t Position() const { return position_; }
    bool Failed() {
        failed_ = true;
        return false;
    }

    UniqueHandle file_;
    std::vector<Entry> entries_;
    uint32_t position_ = 0;
    bool failed_ = false;
    void* stream_ = nullptr;  // the entry's z_stream, kept untyped so zlib stays out of this header
};
