#pragma once
// What the fuzz tests share: reading corpus files and a deterministic byte mutator.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/support/process.h"

using Bytes = std::vector<uint8_t>;

// Wine maps the Unix root to drive Z:.
inline std::wstring CorpusPath(const char* file) {
    std::string unixPath = std::string(TESTS_SOURCE_DIR) + "/corpus/" + file;
    std::wstring path = L"Z:";
    for (char ch : unixPath) {
        path += ch == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(ch));
    }
    return path;
}

inline Bytes ReadCorpus(const char* file) {
    std::string bytes = ReadWholeFile(CorpusPath(file));
    EXPECT_FALSE(bytes.empty()) << "corpus file missing: " << file;
    return Bytes(bytes.begin(), bytes.end());
}

class Mutator {
public:
    explicit Mutator(uint32_t seed) : m_random(seed) {}

    Bytes Mutate(Bytes data) {
        int rounds = 1 + Below(4);
        for (int i = 0; i < rounds; ++i) {
            MutateOnce(data);
        }
        return data;
    }

private:
    int Below(size_t n) { return n == 0 ? 0 : static_cast<int>(m_random() % n); }

    void MutateOnce(Bytes& data) {
        static const uint8_t kInteresting[] = {0,   '<', '>', '/',  '"',  '\'', '&',  '=',  '!',
                                               '?', ';', ' ', 0x80, 0xEF, 0xBB, 0xBF, 0xFF, 0x7F};
        static const uint32_t kFieldValues[] = {
            0, 1, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 4u << 20, (4u << 20) + 1, 0xFFFF, 30, 46};
        switch (Below(8)) {
            case 0:  // flip one bit
                if (!data.empty()) data[Below(data.size())] ^= static_cast<uint8_t>(1 << Below(8));
                break;
            case 1:  // a byte the parsers care about
                if (!data.empty()) data[Below(data.size())] = kInteresting[Below(sizeof(kInteresting))];
                break;
            case 2:  // insert an interesting byte
                data.insert(data.begin() + Below(data.size() + 1), kInteresting[Below(sizeof(kInteresting))]);
                break;
            case 3: {  // delete a range
                if (data.empty()) break;
                size_t at = Below(data.size());
                size_t n = 1 + Below(std::min<size_t>(32, data.size() - at));
                data.erase(data.begin() + at, data.begin() + at + n);
                break;
            }
            case 4: {  // duplicate a range somewhere else
                if (data.empty()) break;
                size_t at = Below(data.size());
                size_t n = 1 + Below(std::min<size_t>(64, data.size() - at));
                Bytes piece(data.begin() + at, data.begin() + at + n);
                data.insert(data.begin() + Below(data.size() + 1), piece.begin(), piece.end());
                break;
            }
            case 5:  // truncate
                data.resize(Below(data.size() + 1));
                break;
            case 6: {  // overwrite a little-endian 32-bit field (sizes, offsets, counts)
                if (data.size() < 4) break;
                size_t at = Below(data.size() - 3);
                uint32_t v = kFieldValues[Below(sizeof(kFieldValues) / sizeof(kFieldValues[0]))];
                for (int b = 0; b < 4; ++b) data[at + b] = static_cast<uint8_t>(v >> (8 * b));
                break;
            }
            default:  // random byte
                if (!data.empty()) data[Below(data.size())] = static_cast<uint8_t>(m_random());
                break;
        }
    }

    std::mt19937 m_random;
};
