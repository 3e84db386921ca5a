#pragma once
// Which running programs hold the target, so that only they are asked to close. The host's
// shared record has one name for every program that uses the helper, so the window it names may
// belong to anything; the processes themselves are found by their program file, compared by
// file identity (a path text can be spelt many ways), and the record only adds its window when
// its program is the target, has the target loaded, or (for a data file) lives beside it.

#include <windows.h>

#include <string>
#include <vector>

#include "ui/util/unique_handle.h"

struct FileIdentity;

// A process found running, held open (to wait for its end) from the moment it was looked at:
// a process that ends at once would otherwise leave nothing to wait on, and its id might soon
// name another process.
struct RunningProcess {
    DWORD id = 0;
    UniqueHandle handle;  // SYNCHRONIZE and PROCESS_QUERY_LIMITED_INFORMATION; may be empty
};

struct TargetHolders {
    std::vector<RunningProcess> processes;
    HWND recordWindow = nullptr;  // the record's window, when its program holds the target
    std::vector<DWORD> Ids() const;
};

// The processes of this session, other than this one, whose program file is the target, all
// copies of it, plus the record's program when it holds the target in one of the other ways.
// A record naming another program is left out and logged.
TargetHolders FindTargetHolders(const std::wstring& targetPath);

// The processes of this session, other than this one, running the program file `image`.
std::vector<RunningProcess> ProcessesRunning(const FileIdentity& image);

// The top-level windows a user sees of these processes (shown, not owned by another window).
std::vector<HWND> MainWindowsOf(const std::vector<DWORD>& processIds);

// The full path of a process's program file, or empty when it cannot be asked.
std::wstring ImagePathOf(HANDLE process);
