#pragma once
// Reads one named skin file (a skin document, an image, an included skin) from wherever the
// process keeps its skins: the folder of loose files or the skin archive (kept open or opened
// for this read). The outcome says precisely what went wrong so callers can word their errors.

#include <vector>

enum class SkinReadResult {
    Ok,
    FileOpenFailed,     // loose file missing or unreadable
    FileEmpty,          // loose file or archive entry of size 0
    FileTooLarge,       // above the caller's limit; refused before reading
    FileReadFailed,     // fewer bytes read than the file's size
    ArchiveOpenFailed,  // no usable archive
    EntryNotFound,
    UnzipFailed,  // corrupt, truncated or shorter than declared
    OutOfMemory,  // no buffer for the file's bytes
};

// Fills `bytes` with the whole file on success and leaves it empty otherwise.
SkinReadResult ReadSkinResource(const wchar_t* name, unsigned maxSize, std::vector<unsigned char>* bytes);

// Reads the whole file at `path` as it is (no resource folder in front), with the same limit and
// outcomes as a loose skin file.
SkinReadResult ReadSkinFileAtPath(const wchar_t* path, unsigned maxSize, std::vector<unsigned char>* bytes);
