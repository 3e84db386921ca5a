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

#include "updater/install/file_fingerprint.h"

// Tells whether another path reaches the same file: by its identity, or by its content on a
// volume whose file ids are not stable (FAT, exFAT).
class FileMatcher {
public:
    explicit FileMatcher(const std::wstring& path);
    bool Found() const { return found; }
    bool Matches(const std::wstring& path) const;

private:
    bool found = false;
    FileIdentity identity;
    FileFingerprint content;
};

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
std::vector<RunningProcess> ProcessesRunning(const FileMatcher& image);
// True when a process of this session, other than this one and those in `ignored`, runs the
// program at `imagePath`. Wine reports a process's image by the path it was started from, also
// after its file was renamed: copies of a new program moved aside still name the target there,
// and are passed in `ignored`.
bool AnyProcessRuns(const std::wstring& imagePath, const std::vector<DWORD>& ignored = {});

// The top-level windows a user sees of these processes (shown, not owned by another window).
std::vector<HWND> MainWindowsOf(const std::vector<DWORD>& processIds);

// The full path of a process's program file, or empty when it cannot be asked.
std::wstring ImagePathOf(HANDLE process);
