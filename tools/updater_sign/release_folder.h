#pragma once
// The vendor's release folder as the package lists it: every file with its "/" path, size,
// SHA-256 and read-only mark, and every empty folder, in a stable order.

#include <string>
#include <vector>

#include "updater/package/package_manifest.h"

struct FolderFile {
    PackageFile file;
    std::wstring source;  // the file's full path
    bool readOnly = false;
};

struct FolderListing {
    std::vector<FolderFile> files;
    std::vector<std::wstring> emptyDirs;
};

// False with `error` set when a file cannot be read.
bool ListReleaseFolder(const std::wstring& folder, FolderListing& listing, std::string& error);

// The manifest's XML for the listing (unsigned).
std::string ManifestXmlFor(const PackageManifest& header, const FolderListing& listing);
