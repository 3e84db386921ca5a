#pragma once
// Which running programs hold a release folder: a process of this session whose program file,
// or any module it loaded (a plug-in, a package DLL), lies below the folder, plus the copies of
// the launcher, which waits for the program it started. All of them must end before the
// folder's release is switched away from, or a later clean-up finds its files held.

#include <string>

#include "updater/install/process_holders.h"

// True when `path` lies below `folder` (both full paths; case ignored, as the file system
// ignores it; a "\\?\" prefix on either is passed over).
bool IsBelowFolder(const std::wstring& path, const std::wstring& folder);

// The processes of this session, other than this one, that run a file below `folder` or have
// one loaded, and those that run `launcher`.
TargetHolders FindFolderHolders(const std::wstring& folder, const std::wstring& launcher);
