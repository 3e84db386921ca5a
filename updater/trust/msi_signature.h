#pragma once
// The Authenticode signature of a Windows Installer package (a compound file). The signature is
// the root stream "\x05DigitalSignature" and covers every other stream's bytes and every storage's
// class id, visited in the order signing tools use: entries sorted by their names' UTF-16LE bytes,
// each storage's children before its own class id. Read through the updater's own handle.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

class CngHash;

// True when `head` starts with the compound file signature.
bool IsCompoundFile(const unsigned char* head, size_t size);

enum class MsiSignatureRead { Signed, Unsigned, Unusual };

// Reads the package's PKCS#7 signature into `blob`; `problem` says why it could not.
MsiSignatureRead ReadMsiSignature(HANDLE file, std::vector<unsigned char>& blob, std::string& problem);

// Feeds the signed content of the package to `hash`. False (with `problem`) when unreadable.
bool HashMsiContent(HANDLE file, CngHash& hash, std::string& problem);

// Whether `a` is hashed before `b` (both entry names, without the terminating null).
bool MsiEntryBefore(const std::wstring& a, const std::wstring& b);
