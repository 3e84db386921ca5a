#pragma once
// Where the updater puts things: the file-name part of the target and the temporary folder.

#include <string>

// The text after the last "\" or "/"; the whole path when it has neither.
std::wstring FileNameOf(const std::wstring& path);

// The user's temporary folder with one trailing separator, or empty when Windows cannot tell
// (the download then lands relative to the current folder).
std::wstring TempFolder();
// The same, starting with a buffer of `bufferChars` characters (tests use a small one to check
// the retry when Windows needs more room).
std::wstring TempFolder(unsigned long bufferChars);

// Full path of the temporary download file for a target: TempFolder() + FileNameOf(target), with
// ".download" appended when that would be the target itself.
std::wstring TempDownloadPath(const std::wstring& targetPath);

// True for a fully qualified path: a drive and a separator ("C:\\..."), or a UNC or device
// path ("\\\\server\\share\\...", "\\\\?\\..."). A relative path (or "\\folder", "C:folder") depends
// on the current folder and drive, which differ between the updater's runs.
bool IsFullPath(const std::wstring& path);

// The folder part of a path including its last separator, or empty when there is none.
std::wstring FolderOf(const std::wstring& path);

// The form of `path` to hand to the file functions: paths of MAX_PATH characters or more get the
// "\\?\" prefix (on their full form), without which Windows refuses them; shorter ones are
// returned as they are.
std::wstring LongPathForm(const std::wstring& path);
