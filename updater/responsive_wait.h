#pragma once
// A wait on the UI thread that keeps other threads from hanging on it: the download worker may be
// blocked sending its outcome to the window that waits for it to stop.

#include <windows.h>

// Waits for `handle` up to `timeoutMs` while answering messages sent to this thread, so a
// thread that is blocked in SendMessageW to one of our windows can finish. Nothing queued is
// dispatched. True when the handle was signalled.
bool WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs);
