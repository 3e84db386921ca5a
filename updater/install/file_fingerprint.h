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

// A file's identity on its volume: the volume serial and the file id, 128 bits where the file
// system gives them (ReFS ids do not fit in 64), else the 64-bit file index. FAT and exFAT have
// no stable file id (it is made up from the file's place in its folder and changes when the
// folder is rewritten), so an identity read there is not `trusted`: it equals nothing, and every
// caller then tells files apart by their content instead, never by the path text alone.
struct FileIdentity {
    uint64_t volumeSerial = 0;
    uint64_t idHigh = 0, idLow = 0;
    bool trusted = false;
    bool operator==(const FileIdentity& other) const {
        return trusted && other.trusted && volumeSerial == other.volumeSerial && idHigh == other.idHigh &&
               idLow == other.idLow;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// "<volume serial>:<file id>" in hex, as the journal keeps it; empty for an identity that is not
// trusted, which no journal records.
std::string FormatIdentity(const FileIdentity& identity);
// True when the file system of the volume that holds `file` is FAT, FAT32 or exFAT.
bool IsOnFatVolume(HANDLE file);

bool IdentityOf(HANDLE file, FileIdentity& identity);
// Files and folders alike; opening for no access at all, so a running program's image or a
// file held without sharing can still be asked. False when nothing is at `path`.
bool IdentityOf(const std::wstring& path, FileIdentity& identity);

bool FileExistsAt(const std::wstring& path);

// True when the file at `path` holds the first bytes (none, some or all) of `source`, and
// `source` has exactly the content `expected`: a copy of it that was cut short.
bool IsPrefixOfContent(const std::wstring& path, const std::wstring& source, const FileFingerprint& expected);
