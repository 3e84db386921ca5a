#pragma once
// Waits on the UI thread that keep its window alive. The install runs inside the handling of
// the worker's outcome message and may wait for seconds (the host's exit, pauses around the
// swap); a thread that stops reading its queue for five seconds has its windows shown as not
// responding, and a window that does not paint looks dead long before that.

#include <windows.h>

// Waits until `handle` is signalled (or, with a null handle, until the time is up), dispatching
// only paint and timer messages meanwhile; messages sent by other threads are handled as by any
// message wait. Every other queued message (a close, a click, a second outcome) stays queued
// until the caller returns to its loop. True when the handle was signalled.
bool WaitWhilePainting(HANDLE handle, DWORD timeoutMs);

// Waits for `handle` up to `timeoutMs` while answering messages sent to this thread, so a
// thread that is blocked in SendMessageW to one of our windows can finish. Nothing queued is
// dispatched. True when the handle was signalled.
bool WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs);
