#include "updater/check/notes_fetch.h"

#include <mutex>
#include <new>
#include <utility>

#include "updater/delivery/feed_fetch.h"
#include "updater/feed/release_notes.h"
#include "updater/update_log.h"

struct NotesFetch::Shared {
    HWND window = nullptr;
    std::wstring url;
    mutable std::mutex lock;
    std::wstring markup;
};

namespace {

const FeedFetchLimits kNotesLimits = {1024 * 1024, 10000, 10};

}  // namespace

NotesFetch::~NotesFetch() {
    if (thread) WaitForSingleObject(thread.Get(), INFINITE);
}

bool NotesFetch::Start(HWND window, const std::wstring& url) {
    if (thread) return false;
    shared.reset(new (std::nothrow) Shared);
    if (!shared) return false;
    shared->window = window;
    shared->url = url;
    // The thread holds its own reference: the window may go first.
    auto* reference = new (std::nothrow) std::shared_ptr<Shared>(shared);
    if (reference == nullptr) return false;
    thread.Reset(CreateThread(nullptr, 0, Run, reference, 0, nullptr));
    if (!thread) delete reference;
    return static_cast<bool>(thread);
}

std::wstring NotesFetch::Markup() const {
    if (!shared) return {};
    std::lock_guard<std::mutex> guard(shared->lock);
    return shared->markup;
}

DWORD WINAPI NotesFetch::Run(void* parameter) {
    std::unique_ptr<std::shared_ptr<Shared>> reference(static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& state = **reference;
    std::string body;
    if (FetchFeed(state.url, body, kNotesLimits)) {
        const std::wstring markup = ReleaseNotesToMarkup(FromUtf8(body), false);
        LogLine("offer: release notes fetched from the link, %u bytes", static_cast<unsigned>(body.size()));
        std::lock_guard<std::mutex> guard(state.lock);
        state.markup = markup;
    } else {
        LogLine("offer: the release notes link could not be fetched; the link stays");
    }
    PostMessageW(state.window, WM_NOTES_FETCHED, 0, 0);
    return 0;
}
