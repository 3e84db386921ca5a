#pragma once
// Builds zip archives in memory for tests: stored or deflated entries, zip64 size records, and on
// request entries that lie about their size or checksum, the way damaged or hostile archives do.

#include <cstdint>
#include <string>
#include <vector>

struct ZipTestEntry {
    std::string name;
    std::string data;
    bool deflate = true;
    bool utf8Name = false;      // sets general purpose bit 11
    int64_t declaredSize = -1;  // uncompressed size written to the headers; -1: the true size
    bool corruptChecksum = false;
    bool zip64 = false;  // sizes kept in a zip64 extra field, the headers holding 0xFFFFFFFF
};

// The bytes of a complete archive holding `entries` in order.
std::vector<uint8_t> BuildZip(const std::vector<ZipTestEntry>& entries);

// Convenience: one deflated entry.
std::vector<uint8_t> BuildZip(const std::string& name, const std::string& data);

// The window host keeps an archive in memory open, without a copy, until another one is chosen,
// which may be in a later test. Archives handed to it are moved here and live until the program
// ends, so no later test can make it read freed memory.
const std::vector<uint8_t>& KeepForTheProcess(std::vector<uint8_t> zip);
