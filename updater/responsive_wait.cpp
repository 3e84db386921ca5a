#include "updater/responsive_wait.h"

namespace {

DWORD Remaining(DWORD start, DWORD timeoutMs) {
    const DWORD elapsed = GetTickCount() - start;
    return elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
}

// PeekMessage handles the messages other threads sent before it looks at the queue.
void AnswerSentMessages() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// The common loop: `wakeMask` says which arrivals end a sleep, `serve` handles them.
bool WaitServing(HANDLE handle, DWORD timeoutMs, DWORD wakeMask, void (*serve)()) {
    const DWORD start = GetTickCount();
    const DWORD handleCount = handle != nullptr ? 1 : 0;
    for (;;) {
        serve();
        const DWORD remaining = Remaining(start, timeoutMs);
        // MWMO_INPUTAVAILABLE: wake for messages that were already queued when the wait began,
        // not only for new ones.
        const DWORD woken = MsgWaitForMultipleObjectsEx(handleCount, handleCount ? &handle : nullptr,
                                                        remaining, wakeMask, MWMO_INPUTAVAILABLE);
        if (handleCount && woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken == WAIT_TIMEOUT || woken == WAIT_FAILED || Remaining(start, timeoutMs) == 0) {
            return false;
        }
    }
}

}  // namespace

bool WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs) {
    return WaitServing(handle, timeoutMs, QS_SENDMESSAGE, AnswerSentMessages);
}
