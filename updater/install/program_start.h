#pragma once
// Starting the installed file, and telling whether a program really came up. The shell reports
// success as soon as a process exists, also for a program that its loader ends a moment later
// (a DLL missing, an image for another system), so a program is watched for a short while.

#include <windows.h>

#include <string>

// How long a started program is watched for an early failing exit.
constexpr DWORD kStartWatchMs = 2000;

// True for an exit status that says the program never ran or crashed: one of a closed list of
// statuses a loader or a crash ends a process with, such as 0xC0000135 (a DLL missing) or
// 0xC0000005 (an access violation). Every other code, 0xFFFFFFFF (-1) among them, is the
// program's own choice.
bool IsFailedStartStatus(DWORD exitCode);

enum class StartResult {
    Started,
    Failed,        // refused by the shell, or ended within the watch with a failed-start status
    PlaceRefused,  // the shell cannot open anything at that path (too long, say), whatever the file
};

// Opens `path` with the shell's "open" verb and no arguments. A program (`watch`) counts as
// started when it waits for input, or still runs after kStartWatchMs, or has ended with a status
// that is not a failed start; anything else (a data file included) counts as started when the
// shell could open it.
StartResult StartProgram(const std::wstring& path, bool watch);
