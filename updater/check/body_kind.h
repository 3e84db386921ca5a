#pragma once
// What a download is by its first bytes, for the refusal that says why a body is not what its
// item promised: a vendor who published an installer or an archive where a program was
// expected learns it from the log line.

#include <string>

enum class BodyKind { Empty, WindowsImage, CompoundFile, ZipArchive, Text, Unknown };

BodyKind BodyKindOf(const std::string& head);
// The first bytes of the file at `path` (at most 8); empty when it cannot be read.
std::string FileHead(const std::wstring& path);
// "a Windows program", "an MSI package or other compound file", "a zip archive", ... with the
// first bytes in hex for an unknown kind.
std::string BodyKindText(const std::string& head);
