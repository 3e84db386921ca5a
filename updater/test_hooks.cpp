#include "updater/test_hooks.h"

#include <cstdlib>

#include "updater/update_log.h"

DWORD TestShortenedMs(const char* variable, DWORD normalMs) {
    const char* text = std::getenv(variable);
    if (text == nullptr || *text < '0' || *text > '9') return normalMs;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (*end != '\0' || value >= normalMs) return normalMs;
    LogLine("test: %s shortens %lu ms to %lu ms", variable, static_cast<unsigned long>(normalMs), value);
    return static_cast<DWORD>(value);
}
