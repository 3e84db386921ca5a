// CheckProgress: the worker that gathers and the window that waits for it.

#include "updater/check/checking_window.h"

#include <objbase.h>
#include <process.h>

#include <atomic>
#include <new>

#include "ui/util/unique_handle.h"
#include "updater/ui_texts.h"
#include "updater/update_log.h"

namespace {

// Shared by the window's thread and the worker; the last of the two to let go deletes it.
struct GatherJob {
    CheckRequest request;
    std::shared_ptr<CheckFindings> findings;
    HWND window = nullptr;
    std::atomic<bool> done{false};
};

unsigned __stdcall GatherThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<GatherJob>> owned(static_cast<std::shared_ptr<GatherJob>*>(parameter));
    GatherJob& job = **owned;
    // The lost-key check reads Authenticode signatures, which may want an apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    GatherCheckFindings(job.request, *job.findings);
    if (SUCCEEDED(com)) CoUninitialize();
    job.done = true;
    PostMessageW(job.window, CCheckingWnd::kAnsweredMessage, 0, 0);
    return 0;
}

UniqueHandle StartGatherThread(const std::shared_ptr<GatherJob>& job) {
    auto* handed = new (std::nothrow) std::shared_ptr<GatherJob>(job);
    if (handed == nullptr) return UniqueHandle();
    const uintptr_t thread = _beginthreadex(nullptr, 0, GatherThread, handed, 0, nullptr);
    if (thread == 0) delete handed;
    return UniqueHandle(reinterpret_cast<HANDLE>(thread));
}

std::shared_ptr<CheckFindings> GatherHere(const CheckRequest& request) {
    auto findings = std::make_shared<CheckFindings>();
    GatherCheckFindings(request, *findings);
    return findings;
}

}  // namespace

bool CheckProgress::Create() {
    // The skin removes the caption again; the caption bits only give the window its system menu
    // and its taskbar button (the user waits for it, it may come up behind the program).
    const DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    if (window_.Create(nullptr, UiText(TextId::CheckTip), style, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE) != nullptr) {
        return true;
    }
    LogLine("check: the waiting window could not be created; checking without it");
    return false;
}

std::shared_ptr<CheckFindings> CheckProgress::Gather(const CheckRequest& request) {
    if (Window() == nullptr) return GatherHere(request);
    auto job = std::make_shared<GatherJob>();
    job->request = request;
    job->findings = std::make_shared<CheckFindings>();
    job->window = Window();
    const UniqueHandle thread = StartGatherThread(job);
    if (!thread) return GatherHere(request);
    window_.CenterWindow();
    window_.ShowModal();
    if (!window_.Answered() && !job->done) {
        LogLine("check: the user cancelled the check");
        return nullptr;
    }
    // The answer is posted last: the worker is ending.
    WaitForSingleObject(thread.Get(), INFINITE);
    return job->findings;
}
