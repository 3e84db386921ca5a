#pragma once
// The file-system side of a switch between release folders: listing what a folder holds,
// reading and switching `current`, carrying the user's files over and staging unchanged files
// as hard links. Nothing here renames or deletes a folder: Windows refuses that while any file
// inside is open (Wine allows it), so the design never relies on it.

#include <string>
#include <vector>

#include "updater/package/package_manifest.h"
#include "updater/package/release_plan.h"
#include "updater/package/release_pointer.h"

// Every file below `folder`, as relative paths with "/", sorted. Folders themselves are not
// listed.
std::vector<std::wstring> FilesBelow(const std::wstring& folder);

// True when the file at `path` holds exactly `size` bytes with this SHA-256.
bool FileHoldsContent(const std::wstring& path, uint64_t size, const Sha256Digest& sha256);

// True when the volume of `folder` has room for `bytes` and a margin (the program and the
// system go on writing while the release is staged), as far as this user may use it.
bool RoomFor(const std::wstring& folder, uint64_t bytes);

// Reads "<root>\current" (full sharing, closed at once). False when it is missing or malformed.
bool ReadCurrent(const std::wstring& root, ReleasePointer& pointer);
// True when the launcher's folder holds a readable `current`: the target is the launcher of a
// whole-folder installation, which only a package updates.
bool IsReleaseLayout(const std::wstring& launcherPath);
// Writes "<root>\current.new", flushes it and renames it over "<root>\current": the switch.
bool SwitchCurrent(const std::wstring& root, const ReleasePointer& pointer);

// Copies (never moves) each planned file from `liveFolder` into `newFolder`, never over a
// file. False naming the first that fails in `failed`.
bool CarryOver(const std::wstring& liveFolder, const std::wstring& newFolder, const std::vector<CarriedFile>& plan,
               std::wstring& failed);

// Deletes the files `plan.remove` names below `folder` (a read-only mark is taken off first),
// then every folder below it, and `folder` itself, that is empty now. Files another process
// still holds stay; they are returned, for a later run to retry. What `plan.keep` names is
// never touched.
std::vector<std::wstring> RemoveReleaseFiles(const std::wstring& folder, const CleanUpPlan& plan);

// For the staging of a new release: each file the two manifests list unchanged is made a hard
// link to the live file, once the live file is seen to hold exactly that content; the paths
// that could not be linked (another volume, a changed live file) are returned, to be unpacked.
std::vector<std::wstring> LinkUnchanged(const std::wstring& liveFolder, const std::wstring& newFolder,
                                        const PackageManifest& next, const std::vector<std::wstring>& unchanged);
