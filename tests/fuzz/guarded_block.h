#pragma once
// A block of memory whose bytes end exactly where a PAGE_NOACCESS page begins, so reading even
// one byte past the data faults at once instead of quietly reading whatever the heap holds next.
// The pages are never given back: the window host may keep reading an archive placed here for as
// long as the program runs.

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

class GuardedBlock {
public:
    explicit GuardedBlock(size_t capacity) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const size_t page = system.dwPageSize;
        const size_t usable = (capacity + page - 1) / page * page;
        auto* base = static_cast<uint8_t*>(
            VirtualAlloc(nullptr, usable + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        if (base != nullptr && VirtualProtect(base + usable, page, PAGE_NOACCESS, &previous)) {
            m_guard = base + usable;
            m_capacity = usable;
        }
    }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;

    bool IsReady() const { return m_guard != nullptr; }
    // The first byte that faults.
    const uint8_t* Guard() const { return m_guard; }

    // Copies `bytes` so that their last byte sits just before the guard page; null when they do
    // not fit. Whatever was placed before is overwritten.
    const uint8_t* Place(const std::vector<uint8_t>& bytes) {
        if (m_guard == nullptr || bytes.size() > m_capacity) {
            return nullptr;
        }
        uint8_t* start = m_guard - bytes.size();
        if (!bytes.empty()) {
            memcpy(start, bytes.data(), bytes.size());
        }
        return start;
    }

private:
    uint8_t* m_guard = nullptr;
    size_t m_capacity = 0;
};
