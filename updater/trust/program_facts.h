#pragma once
#include <cstdint>
#include <string>

// What the updater reads from a program file as data: its PE header and its version resource.
struct ProgramFacts {
    bool isWindowsProgram = false;  // a PE image ("MZ", then "PE\0\0")
    bool isDll = false;             // IMAGE_FILE_DLL set
    std::uint16_t machine = 0;      // IMAGE_FILE_MACHINE_I386, _AMD64, _ARM64, ...
    bool hasVersionResource = false;
    std::wstring fileVersion;       // the FileVersion string, else the fixed version "a.b.c.d"
    std::wstring productName;       // ProductName string, may be empty
    std::wstring companyName;       // CompanyName string, may be empty
};
// False when the file cannot be read. A readable non-PE file answers true with isWindowsProgram false.
bool ReadProgramFacts(const std::wstring& path, ProgramFacts& facts);
