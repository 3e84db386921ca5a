#pragma once
// The updater's diagnostic log: one timestamped line per step of an update (start, transfer,
// checks, close request, replacement, relaunch), appended to "<program name>.log" in the temporary
// folder, so a failed update leaves a trace beyond its balloon. The log is bounded: past
// kUpdateLogLimitBytes its oldest half is dropped. Writing it never stops an update; a log that
// cannot be opened or written is skipped without a word.

#include <cstddef>
#include <string>

constexpr size_t kUpdateLogLimitBytes = 256 * 1024;

// TempFolder() + the running program's file name without ".exe" + ".log".
std::wstring UpdateLogPath();

// printf-style; one line with a timestamp and the process id is appended to UpdateLogPath().
void LogLine(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));

// Appends `line` (plus a line break) to the file at `path`, first dropping the oldest half of the
// file when the line would take it past `limitBytes`. False when the file cannot be written.
bool AppendLogLine(const std::wstring& path, const std::string& line, size_t limitBytes);

// The newest part of a log of `content`, no longer than `keepBytes` and starting at a line.
std::string NewestLines(const std::string& content, size_t keepBytes);

// UTF-8 of a wide text, for paths and URLs in log lines, and back.
std::string Utf8(const std::wstring& wide);
std::wstring FromUtf8(const std::string& text);
