// CCheckingWnd: the waiting window's life: skin built and put into the user's language, the
// first paint signalled, the worker's answer or the user's cancel taken.

#include "updater/check/checking_dialog.h"

#include "ui/controls/control.h"
#include "updater/first_paint.h"
#include "updater/skin_texts.h"
#include "updater/ui_texts.h"
#include "updater/update_log.h"

CCheckingWnd::~CCheckingWnd() {
    if (WindowHandle() != nullptr) DestroyWindow(WindowHandle());
}

const wchar_t* CCheckingWnd::WindowClassName() const {
    return L"UICheckingWnd";
}
const wchar_t* CCheckingWnd::SkinFile() const {
    return kSkinFile;
}

const WindowImplBase::MessageTable* CCheckingWnd::OwnMessageTable() const {
    static const MessageHandlerEntry kEntries[] = {
        {WM_PAINT, AsWindowHandler(&CCheckingWnd::OnPaintMessage)},
        {kAnsweredMessage, AsWindowHandler(&CCheckingWnd::OnAnswered)},
        {0, nullptr},
    };
    static const MessageTable kTable = {&WindowImplBase::ClassMessageTable, kEntries};
    return &kTable;
}

void CCheckingWnd::OnSkinBuilt() {
    ApplySkinTexts(host, {{L"checking_title", TextId::CheckTip},
                          {L"closebtn", TextId::Close, true},
                          {L"checking_text", TextId::CheckingForUpdates},
                          {L"checking_cancel", TextId::Cancel}});
    // Enter and Space cancel too: the one thing to do here.
    if (CControlUI* cancel = host.FindControlByName(L"checking_cancel")) host.FocusAfterLayout(cancel);
}

// The host paints; the first complete picture is what a cold start is measured to, and what
// the log tells as shown.
LRESULT CCheckingWnd::OnPaintMessage(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
    LRESULT result = 0;
    host.ProcessMessage(message, wParam, lParam, result);
    if (!painted) {
        painted = true;
        SignalFirstPaint();
        const CControlUI* text = host.FindControlByName(L"checking_text");
        LogLine("check: window \"%s\" shown", text ? Utf8(text->Text().GetData()).c_str() : "");
    }
    return result;
}

LRESULT CCheckingWnd::OnAnswered(UINT, WPARAM, LPARAM, bool&) {
    answered = true;
    Close(IDOK);
    return 0;
}

void CCheckingWnd::OnClick(NotifyMsg& msg) {
    const CControlUI* sender = msg.sender;
    if (sender == nullptr) return;
    if (sender->Name().CompareNoCase(L"checking_cancel") == 0 || sender->Name().CompareNoCase(L"closebtn") == 0) {
        Close(IDCANCEL);
    }
}

bool CCheckingWnd::HandleDefaultKey(WPARAM key) {
    if (key == VK_ESCAPE) Close(IDCANCEL);
    return false;
}
