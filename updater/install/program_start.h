#pragma once
// Starting the installed file, and telling whether a program really came up. Windows reports
// success as soon as a process exists, also for a program that its loader ends a moment later
// (a DLL missing, an image for another system), so a program is watched for a short while.

#include <windows.h>

#include <string>
#include <vector>

// How long a started program is watched for an early failing exit.
constexpr DWORD kStartWatchMs = 2000;

// True for an exit status that says the program never ran or crashed: one of a closed list of
// statuses a loader or a crash ends a process with, such as 0xC0000135 (a DLL missing) or
// 0xC0000005 (an access violation). Every other code, 0xFFFFFFFF (-1) among them, is the
// program's own choice.
bool IsFailedStartStatus(DWORD exitCode);

enum class StartResult {
    Started,       // came up, or a copy of it already ran (it is never started twice)
    Failed,        // refused, or ended within the watch with a failed-start status
    PlaceRefused,  // a path of MAX_PATH characters or more, from where nothing can be started
};

// Starts the file at `path` with no arguments. A Windows program is started by CreateProcessW
// with its full path as the application name (the shell would expand %VARIABLES% in it and take
// a missing file for a place it cannot open); the shell only opens a data file, and a program
// that needs elevation, so that the system's own consent prompt shows. A program that already
// runs from `path` (by file identity, or content where the volume has no stable ids) is not
// started again. With `watch`, a program counts as started when it waits for input, or still
// runs after kStartWatchMs, or has ended with a status that is not a failed start; anything
// else counts as started when it could be opened.
// `ignored`: processes that name `path` but run another file (see AnyProcessRuns).
StartResult StartProgram(const std::wstring& path, bool watch, const std::vector<DWORD>& ignored = {});

// The folder a program is started in: its own (empty for a bare file name).
std::wstring StartFolderOf(const std::wstring& programPath);
