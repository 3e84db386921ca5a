#include "updater/test_hooks.h"

#include <cstdlib>
#include <cstring>

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

namespace {

LONG cutPointsPassed = 0;

}  // namespace

bool TestCutsAt(const char* point) {
    const char* asked = std::getenv("UPDATER_TEST_CUT_AT");
    return asked != nullptr && std::strcmp(asked, point) == 0;
}

void CutHereIfTestAsks(const char* point) {
    const char* asked = std::getenv("UPDATER_TEST_CUT_AT");
    if (asked == nullptr) return;
    const LONG passed = InterlockedIncrement(&cutPointsPassed);
    char* end = nullptr;
    const long count = std::strtol(asked, &end, 10);
    const bool byCount = end != asked && *end == '\0' && count == passed;
    if (!byCount && std::strcmp(asked, point) != 0) return;
    LogLine("test: cut at \"%s\" (point %ld)", point, static_cast<long>(passed));
    TerminateProcess(GetCurrentProcess(), 3);
}

bool TestTargetVanishes() {
    const char* asked = std::getenv("UPDATER_TEST_TARGET_VANISHES");
    return asked != nullptr && std::strcmp(asked, "1") == 0;
}
