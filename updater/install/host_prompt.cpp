#include "updater/install/host_prompt.h"

#include "updater/install/process_holders.h"

HostPrompt::HostPrompt() : answered(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void HostPrompt::Answer(HostWait given) {
    if (given == HostWait::Cancel) {
        answer = kCancel;
    } else if (given == HostWait::Retry) {
        int expected = kNoAnswer;
        answer.compare_exchange_strong(expected, kRetry);
    }
    if (answered) SetEvent(answered.Get());
}

HostWait HostPrompt::Wait(const std::wstring& target, DWORD lookEveryMs) {
    for (;;) {
        if (answer == kCancel) return HostWait::Cancel;
        int expected = kRetry;
        if (answer.compare_exchange_strong(expected, kNoAnswer)) return HostWait::Retry;
        // A target that cannot be identified any more holds no program either.
        const FileMatcher image(target);
        if (!image.Found() || ProcessesRunning(image).empty()) return HostWait::Ended;
        if (answered) {
            WaitForSingleObject(answered.Get(), lookEveryMs);
        } else {
            Sleep(lookEveryMs);
        }
    }
}
