#pragma once
// A program of the target that does not close when asked (its own "save changes?" question, for
// example) does not lose the update: the update window asks the user to close it and to choose
// Retry or Cancel, and the installation's thread waits here, with no time limit, until the
// program has ended (the installation then goes on by itself) or the user has answered.

#include <windows.h>

#include <atomic>
#include <string>

#include "ui/util/unique_handle.h"

enum class HostWait {
    Ended,   // no program of the target runs any more
    Retry,   // the user asks to try closing again
    Cancel,  // the user keeps the old program running; the installation walks back
};

// Shared by the window's thread (the answers) and the installation's (the wait).
class HostPrompt {
public:
    HostPrompt();

    // Retry is taken by one wait; Cancel is final.
    void Answer(HostWait answer);

    // Until no program of `target` runs or the user answers. How often the programs are looked at
    // bounds how late an ended program is noticed.
    HostWait Wait(const std::wstring& target, DWORD lookEveryMs = 250);

private:
    static constexpr int kNoAnswer = 0, kRetry = 1, kCancel = 2;
    UniqueHandle answered;
    std::atomic<int> answer{kNoAnswer};
};
