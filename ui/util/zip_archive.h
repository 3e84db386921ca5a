#pragma once
// CZipArchive: read access to a zip archive held in memory or in a file, over minizip.
// One entry at a time is "current": FindEntry selects it, EntrySize reports the size the archive
// declares for it, ExtractEntry decompresses it. The archive handle is closed on destruction.

#include <cstdint>
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
    // Uncompressed size recorded for the current entry, in full: zip64 entries may declare more
    // than 4 GiB, and a caller must see that rather than the low 32 bits. 0 when none is current.
    uint64_t EntrySize() const { return m_entrySize; }
    // Decompresses the whole current entry into `buffer` of `size` bytes. Succeeds only when the
    // entry yields exactly `size` bytes and that is all it declares, so the checksum is always
    // verified; fails on any decompression or checksum error, on a short entry and on a buffer
    // smaller than the declared size. A caller never sees bytes the archive did not vouch for.
    bool ExtractEntry(void* buffer, unsigned size);

private:
    bool OpenWith(void* handle);
    bool ReadCurrent(unsigned char* out, unsigned size, unsigned* total);

    void* m_handle = nullptr;  // unzFile, kept untyped so minizip stays out of this header
    std::unique_ptr<ZipMemoryStream> m_memory;
    bool m_hasEntry = false;
    uint64_t m_entrySize = 0;
};
