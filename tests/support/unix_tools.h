#pragma once
// Tests that need tools only the Linux side has (openssl, Python's TLS) run them through Wine,
// which starts a Unix program like a Windows one.

#include <windows.h>

#include <string>

#include "ui/util/unique_handle.h"

// The Unix path Wine shows as `path`, or empty when it has none.
std::string UnixPathOf(const std::wstring& path);

// Starts the Unix program `program` (an absolute Unix path) with `arguments` (already quoted for
// the Windows command line). Wine neither reports a Unix program's exit code nor hands it a pipe,
// so callers look at the files it writes.
bool StartUnixProgram(const std::string& program, const std::string& arguments, UniqueHandle& process);

// The folder of the test support sources (Unix path), where its scripts are.
std::string TestSupportFolder();
