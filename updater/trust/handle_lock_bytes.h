#pragma once
// A read-only ILockBytes over a file handle the updater already holds, so that structured
// storage (an .msi) is read from the very bytes that were checked, never reopened by name.

#include <windows.h>
#include <objbase.h>

// A new ILockBytes reading `file` (which must outlive it), with one reference; null when out of
// memory. Writes are refused.
ILockBytes* NewHandleLockBytes(HANDLE file);
