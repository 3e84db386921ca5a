// CUpdateWnd: the question asked while a program of the target does not close (it asks its own
// user to save, say). The window shows "close <product>, then Retry" with Retry and Cancel in
// place of the download's details, comes to the front and waits without a time limit; the
// installation goes on by itself once the program has ended.

#include "updater/update_window.h"

#include "ui/controls/control.h"
#include "updater/paths.h"
#include "updater/trust/program_facts.h"
#include "updater/ui_texts.h"
#include "updater/update_log.h"

namespace {

// What the user knows the program as: its product name, else its file name.
std::wstring ProductOf(const std::wstring& targetPath) {
    ProgramFacts facts;
    if (ReadProgramFacts(targetPath, facts) && !facts.productName.empty()) return facts.productName;
    return FileNameOf(targetPath);
}

// The question with its two buttons, or the download's details with the taskbar button.
void ShowPromptInPlaceOfDetails(CWindowHostUI& host, bool prompt) {
    for (const wchar_t* name : {L"down_host_busy", L"down_host_buttons"}) {
        if (CControlUI* part = host.FindControlByName(name)) part->SetVisible(prompt);
    }
    for (const wchar_t* name : {L"hlayout_down_info", L"down_taskbar_box"}) {
        if (CControlUI* part = host.FindControlByName(name)) part->SetVisible(!prompt);
    }
}

}  // namespace

void CUpdateWnd::OnHostBusy() {
    if (phase != Phase::Installing) return;
    const std::wstring product = ProductOf(targetPath);
    const std::wstring prompt = FillIn(UiText(TextId::CloseProgramPrompt), {product});
    LogLine("window: asking the user to close \"%s\" (Retry or Cancel)", Utf8(product).c_str());
    if (CControlUI* text = host.FindControlByName(L"down_host_prompt")) text->SetText(prompt.c_str());
    if (CControlUI* retry = host.FindControlByName(L"down_retry")) retry->SetText(UiText(TextId::Retry));
    if (CControlUI* cancel = host.FindControlByName(L"down_cancel")) cancel->SetText(UiText(TextId::Cancel));
    ShowPromptInPlaceOfDetails(host, true);
    hostPromptShown = true;
    // The user must see the question: a hidden window comes back, and to the front.
    const HWND window = WindowHandle();
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    Host().Accessibility().RaiseAlert(prompt.c_str());
}

void CUpdateWnd::EndHostPrompt() {
    if (!hostPromptShown) return;
    hostPromptShown = false;
    ShowPromptInPlaceOfDetails(host, false);
}

bool CUpdateWnd::AnswerHostPrompt(CControlUI* sender) {
    if (sender == nullptr || !hostPromptShown) return false;
    const bool retry = sender->Name().CompareNoCase(L"down_retry") == 0;
    if (!retry && sender->Name().CompareNoCase(L"down_cancel") != 0) return false;
    LogLine("window: the user chose %s", retry ? "Retry" : "Cancel");
    installation.AnswerHostPrompt(retry ? HostWait::Retry : HostWait::Cancel);
    return true;
}
