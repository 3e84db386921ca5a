#pragma once
// What `updater-sign pack` makes of a vendor's release folder: the package zip (the signed
// manifest first, then every file), a portable zip holding a whole installation for a first
// install (the launcher under the main program's name, `current`, the release folder), and the
// feed item's lines for the package. The manifest is read back through the updater's own
// reader before anything is written, so a folder the updater would refuse is refused here.

#include <string>

#include "signing_key.h"

struct PackRequest {
    std::wstring folder;    // the release as the program runs from it
    std::wstring main;      // "<Main>.exe", at the top of `folder`
    std::wstring version;   // the release's version; the main program's FileVersion must equal it
    std::wstring outFolder;
    std::wstring launcher;  // the launcher program copied into the portable installation
};

struct PackResult {
    std::wstring package;   // "<out>\<Main>-<version>.zip"
    std::wstring portable;  // "<out>\<Main>-<version>-portable.zip"
    std::string feedItem;   // the enclosure's lines, also written as "<out>\<Main>-<version>.feed-item.txt"
};

bool PackRelease(const PackRequest& request, const Ed25519Seed& seed, PackResult& result, std::string& error);
