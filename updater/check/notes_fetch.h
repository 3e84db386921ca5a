#pragma once
// Release notes given only as a link: fetched on a thread of its own while the offer window
// answers its messages (https only, the same TLS check, at most 1 MiB and 10 s), then reduced
// like inline notes. The window is told by a posted message and reads the result from here.

#include <windows.h>

#include <memory>
#include <string>

#include "ui/util/unique_handle.h"

constexpr UINT WM_NOTES_FETCHED = 2044;

class NotesFetch {
public:
    NotesFetch() = default;
    // Waits for a fetch still running: it ends within its own bounds.
    ~NotesFetch();
    NotesFetch(const NotesFetch&) = delete;
    NotesFetch& operator=(const NotesFetch&) = delete;

    // Starts fetching `url`; posts WM_NOTES_FETCHED to `window` when done. False when no thread
    // could be started.
    bool Start(HWND window, const std::wstring& url);
    // The reduced notes once WM_NOTES_FETCHED came; empty when the fetch failed.
    std::wstring Markup() const;

private:
    struct Shared;
    static DWORD WINAPI Run(void* shared);

    std::shared_ptr<Shared> shared;
    UniqueHandle thread;
};
