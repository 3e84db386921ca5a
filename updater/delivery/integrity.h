#pragma once
// The optional integrity check of a download. A host that knows the new file's SHA-256 appends it
// to the URL as a fragment ("https://example.test/app.exe#sha256=<64 hex digits>"); a fragment is
// never sent to the server, so servers and older updaters are unaffected. The digest is computed
// by the platform (CNG) as the bytes arrive.

#include <string>

#include "updater/files/sha256.h"

enum class HashFragment {
    None,       // no fragment, or one that is not about the hash: nothing to check
    Sha256,     // "sha256=" and 64 hex digits: the download must match
    Malformed,  // a hash fragment that cannot be read: fail rather than install unchecked
};

// Reads the URL's fragment; `digest` is filled for HashFragment::Sha256.
HashFragment ParseHashFragment(const std::string& url, Sha256Digest& digest);
