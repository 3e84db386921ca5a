#pragma once
#include <cstdint>
#include <string>
#include "updater/trust/program_facts.h"

// Kept per program under HKCU\Software\<CompanyName>\<ProductName>\Updater (names from the version
// resource), else HKCU\Software\Updater\<file name>. A value that is missing, unreadable or (a time)
// later than `now` counts as never set.
struct FeedState {
    std::wstring skippedVersion;             // SkippedVersion REG_SZ
    // DeltaFailedVersion REG_SZ: a version whose delta failed here once; its next try goes
    // straight to the full package, so a broken delta never costs twice.
    std::wstring deltaFailedVersion;
    bool hasLastCheck = false;  std::int64_t lastCheckTime = 0;        // LastCheckTime REG_QWORD
    bool hasRolloutGroup = false; int rolloutGroup = 0;                // RolloutGroup REG_DWORD (0..6)
    bool hasFeedSerial = false; std::uint64_t feedSerial = 0;          // FeedSerial REG_QWORD
    bool hasFirstFailure = false; std::int64_t firstFeedFailureTime = 0; // FirstFeedFailureTime REG_QWORD
};
std::wstring FeedStateKeyPath(const ProgramFacts& facts, const std::wstring& programPath);
FeedState LoadFeedState(const std::wstring& keyPath, std::int64_t now);
bool SaveSkippedVersion(const std::wstring& keyPath, const std::wstring& version);
bool SaveDeltaFailedVersion(const std::wstring& keyPath, const std::wstring& version);
bool SaveLastCheckTime(const std::wstring& keyPath, std::int64_t time);
bool SaveFeedSerial(const std::wstring& keyPath, std::uint64_t serial);
bool SaveFirstFeedFailureTime(const std::wstring& keyPath, std::int64_t time);
bool ClearFirstFeedFailureTime(const std::wstring& keyPath);
// The installation's rollout group: the kept one, else drawn once (0..6, from the system's
// random source) and kept.
int RolloutGroup(const std::wstring& keyPath, std::int64_t now);
std::int64_t UnixTimeNow();
