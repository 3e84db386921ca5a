#pragma once
// The minizip I/O table over a block of memory. minizip only knows files; this adapter lets it
// read an archive that was copied out of a resource. Every read and seek is bounds-checked:
// the archive's own offsets are untrusted input.

struct zlib_filefunc_def_s;

struct ZipMemoryStream {
    const unsigned char* data = nullptr;
    unsigned size = 0;
    unsigned position = 0;
};

// Fills `table` so that minizip reads from `stream`, which must outlive the archive.
void FillMemoryFileFunctions(zlib_filefunc_def_s* table, ZipMemoryStream* stream);
