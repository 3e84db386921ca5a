#pragma once
// CZipArchive: read access to a zip archive held in memory or in a file, over minizip.
// One entry at a time is "current": FindEntry selects it, EntrySize reports the size the archive
// declares for it, ExtractEntry decompresses it. The archive handle is closed on destruction.

#include <memory>

#include "ui/util/zip_memory_stream.h"

class CZipArchive {
public:
    CZipArchive() = default;
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // The block is not copied: it must outlive the open archive.
    bool OpenMemory(const void* data, unsigned size);
    bool OpenFile(const wchar_t* path);
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

    // Selects the first entry whose name matches without regard to case, a "\" in `name`
    // matching the "/" that zip files use as separator. False when there is none.
    bool FindEntry(const wchar_t* name);
    // Uncompressed size recorded for the current entry; 0 when no entry is current.
    unsigned EntrySize() const { return m_entrySize; }
    // Decompresses exactly `size` bytes of the current entry into `buffer`. Fails on any
    // decompression or checksum error and when the entry yields fewer bytes than `size`, so a
    // caller never sees bytes the archive did not provide. Bytes beyond `size` are not read.
    bool ExtractEntry(void* buffer, unsigned size);

private:
    bool OpenWith(void* handle);

    void* m_handle = nullptr;  // unzFile, kept untyped so minizip stays out of this header
    std::unique_ptr<ZipMemoryStream> m_memory;
    bool m_hasEntry = false;
    unsigned m_entrySize = 0;
};
