#pragma once
// The bytes of one file of the package benchmarks: half of every 8 KiB random, half zero, so a
// package compresses to about half as real program folders do. `seed` makes each file its own.

#include <cstddef>
#include <cstdint>
#include <string>

inline std::string PackageFileContent(uint32_t seed, size_t size) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t block = 0; block < size; block += 8192) {
        for (size_t i = block; i < block + 4096 && i < size; ++i) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            bytes[i] = static_cast<char>(x);
        }
    }
    return bytes;
}
