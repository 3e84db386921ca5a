#pragma once
// The skin archive that updater.exe carries (resource 129 of type "ZIPRES"), read once.

#include <windows.h>

#include <vector>

#include "tests/support/process.h"
#include "ui/util/zip_archive.h"

// The module of updater.exe loaded as data; null when it cannot be loaded.
inline HMODULE UpdaterModule() {
    static HMODULE module =
        LoadLibraryExW((ProgramFolder() + L"updater.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

// The archive's bytes; empty when the program or the resource is missing. They stay in place
// for the whole run, so a host may keep reading them.
inline const std::vector<unsigned char>& ShippedSkinArchive() {
    static const std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> out;
        HMODULE module = UpdaterModule();
        HRSRC info = module ? FindResourceW(module, MAKEINTRESOURCEW(129), L"ZIPRES") : nullptr;
        HGLOBAL data = info ? LoadResource(module, info) : nullptr;
        if (data) {
            auto* first = static_cast<const unsigned char*>(LockResource(data));
            out.assign(first, first + SizeofResource(module, info));
        }
        return out;
    }();
    return bytes;
}

// One whole entry of the archive; empty when it is missing or cannot be read.
inline std::vector<unsigned char> ShippedSkinEntry(const wchar_t* name) {
    const std::vector<unsigned char>& bytes = ShippedSkinArchive();
    CZipArchive archive;
    std::vector<unsigned char> out;
    if (archive.OpenMemory(bytes.data(), static_cast<unsigned>(bytes.size())) && archive.FindEntry(name) &&
        archive.EntrySize() > 0) {
        out.resize(static_cast<size_t>(archive.EntrySize()));
        if (!archive.ExtractEntry(out.data(), static_cast<unsigned>(out.size()))) {
            out.clear();
        }
    }
    return out;
}
