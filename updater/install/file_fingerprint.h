#pragma once
// How the installation knows its own files again. A file's content is told by its size and
// SHA-256 (the old program, its backup, the new program); a file as an object on its volume is
// told by its identity (volume serial and file index), which a rename keeps and a path text
// cannot give: two spellings, a hard link or a short name all reach the same file.

#include <windows.h>

#include <cstdint>
#include <string>

#include "updater/files/sha256.h"

struct FileFingerprint {
    uint64_t size = 0;
    Sha256Digest sha256 = {};
    bool operator==(const FileFingerprint& other) const {
        return size == other.size && sha256 == other.sha256;
    }
};

// The fingerprint of the whole content of an open file, read from its start. False on a read
// or hash failure.
bool FingerprintOf(HANDLE file, FileFingerprint& fingerprint);
// The same for the file at `path`, opened to read while others may read, write or delete it.
bool FingerprintOf(const std::wstring& path, FileFingerprint& fingerprint);
// True when the file at `path` exists and has exactly this content.
bool HasContent(const std::wstring& path, const FileFingerprint& expected);

struct FileIdentity {
    DWORD volumeSerial = 0;
    uint64_t fileIndex = 0;
    bool operator==(const FileIdentity& other) const {
        return volumeSerial == other.volumeSerial && fileIndex == other.fileIndex;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

bool IdentityOf(HANDLE file, FileIdentity& identity);
// Files and folders alike; opening for no access at all, so a running program's image or a
// file held without sharing can still be asked. False when nothing is at `path`.
bool IdentityOf(const std::wstring& path, FileIdentity& identity);

bool FileExistsAt(const std::wstring& path);
