// COfferWnd: the new-version window's life: skin built and filled in, links followed, the
// answer kept.

#include "updater/check/offer_dialog.h"

#include <shellapi.h>

#include <utility>

#include "ui/controls/label.h"
#include "ui/core/window_dpi.h"
#include "updater/skin_texts.h"
#include "updater/update_log.h"
#include "updater/update_window.h"

namespace {

bool IsNamed(const CControlUI* control, const wchar_t* name) {
    return control && control->Name().CompareNoCase(name) == 0;
}

// Only links that pass the rule reach the shell: a feed's notes must not start programs or open
// files through a "file:" or other handler, nor send the user to a page over plain HTTP.
void OpenInBrowser(const wchar_t* url) {
    if (url == nullptr || !IsOpenableLink(url)) {
        LogLine("offer: link not opened (not https, or it names an environment variable)");
        return;
    }
    ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

COfferWnd::COfferWnd(OfferDetails offer, std::optional<OfferTestAnswer> answer)
    : details(std::move(offer)), testAnswer(answer) {}

// A modal loop ended by WM_QUIT leaves the window alive; it must go before the icons it shows.
COfferWnd::~COfferWnd() {
    if (WindowHandle() != nullptr) DestroyWindow(WindowHandle());
}

const wchar_t* COfferWnd::WindowClassName() const {
    return L"UIOfferWnd";
}
const wchar_t* COfferWnd::SkinFile() const {
    return kSkinFile;
}

const WindowImplBase::MessageTable* COfferWnd::OwnMessageTable() const {
    static const MessageHandlerEntry kEntries[] = {
        {WM_PAINT, AsWindowHandler(&COfferWnd::OnPaintMessage)},
        {WM_NOTES_FETCHED, AsWindowHandler(&COfferWnd::OnNotesFetched)},
        {0, nullptr},
    };
    static const MessageTable kTable = {&WindowImplBase::ClassMessageTable, kEntries};
    return &kTable;
}

// "click" is the base map's entry; it reaches OnClick below.
const NotifyMap* COfferWnd::OwnNotifyMap() const {
    static const NotifyMapEntry kEntries[] = {
        {L"link", L"", NotifyHandlerMessage, nullptr, AsMessageHandler(&COfferWnd::OnLink)},
        {L"timer", L"", NotifyHandlerParams, AsParamsHandler(&COfferWnd::OnTimer), nullptr},
        {L"", L"", NotifyHandlerEnd, nullptr, nullptr},
    };
    static const NotifyMap kMap = {&WindowImplBase::ClassNotifyMap, kEntries};
    return &kMap;
}

void COfferWnd::OnSkinBuilt() {
    ShowDetails();
    SetWindowIcons();
    // Enter answers with the focused button: the one a user most likely wants comes first.
    if (CControlUI* now = host.FindControlByName(L"offer_now")) host.FocusAfterLayout(now);
    LogLine("offer: %s %s offered over %s%s", Utf8(details.productName).c_str(),
            Utf8(details.newVersion).c_str(), Utf8(details.installedVersion).c_str(),
            details.critical ? " (critical)" : "");
}

void COfferWnd::ShowDetails() {
    ApplySkinTexts(host, {{L"offer_title", TextId::OfferTitle},
                          {L"closebtn", TextId::Close, true},
                          {L"offer_critical", TextId::OfferCritical},
                          {L"offer_notes_caption", TextId::NotesCaption},
                          {L"offer_notes_box", TextId::NotesGroup},
                          {L"offer_skip", TextId::SkipVersion},
                          {L"offer_later", TextId::RemindLater},
                          {L"offer_now", TextId::UpdateNow}});
    if (CControlUI* line = host.FindControlByName(L"offer_versions"))
        line->SetText(OfferVersionLine(details).c_str());
    ShowNotes(details.releaseNotesMarkup);
    if (!details.notesToFetch.empty() && !notesFetch.Start(WindowHandle(), details.notesToFetch))
        LogLine("offer: no thread to fetch the release notes; the link stays");
    const std::wstring link = ReleaseNotesLinkMarkup(details.releaseNotesLink);
    if (CControlUI* text = host.FindControlByName(L"offer_notes_link")) {
        text->SetText(link.c_str());
        text->SetVisible(!link.empty());
    }
    // A critical update cannot be put off or skipped from here; closing the window still can.
    for (const wchar_t* name : {L"offer_later", L"offer_skip"}) {
        if (CControlUI* button = host.FindControlByName(name)) button->SetVisible(!details.critical);
    }
    if (CControlUI* warning = host.FindControlByName(L"offer_critical"))
        warning->SetVisible(details.critical);
    if (CControlUI* why = host.FindControlByName(L"offer_key_changed")) {
        why->SetText(UiText(TextId::KeyChangedNote));
        why->SetVisible(details.keyChanged);
    }
    if (CControlUI* now = host.FindControlByName(L"offer_now"); now && details.informational)
        now->SetText(UiText(TextId::ViewDetails));
}

void COfferWnd::ShowNotes(const std::wstring& markup) {
    if (CControlUI* notes = host.FindControlByName(L"offer_notes")) notes->SetText(markup.c_str());
    for (const wchar_t* name : {L"offer_notes_caption", L"offer_notes_box"}) {
        if (CControlUI* part = host.FindControlByName(name)) part->SetVisible(!markup.empty());
    }
}

LRESULT COfferWnd::OnNotesFetched(UINT, WPARAM, LPARAM, bool&) {
    const std::wstring markup = notesFetch.Markup();
    if (!markup.empty()) ShowNotes(markup);
    return 0;
}

// The taskbar shows the window's icon; at the DPI of its display.
void COfferWnd::SetWindowIcons() {
    const HINSTANCE module = CWindowHostUI::ModuleInstance();
    const int dpi = host.Dpi();
    bigIcon.Reset(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_UPDATER), IMAGE_ICON,
                                                SystemMetricForDpi(SM_CXICON, dpi),
                                                SystemMetricForDpi(SM_CYICON, dpi), LR_DEFAULTCOLOR)));
    smallIcon.Reset(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_UPDATER), IMAGE_ICON,
                                                  SystemMetricForDpi(SM_CXSMICON, dpi),
                                                  SystemMetricForDpi(SM_CYSMICON, dpi), LR_DEFAULTCOLOR)));
    SendMessageW(WindowHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.Get()));
    SendMessageW(WindowHandle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.Get()));
}

// The host paints; a test's answer waits for that first complete picture.
LRESULT COfferWnd::OnPaintMessage(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
    LRESULT result = 0;
    host.ProcessMessage(message, wParam, lParam, result);
    if (!painted) {
        painted = true;
        if (testAnswer && host.Root()) host.StartTimer(host.Root(), kTestAnswerTimer, testAnswer->holdMs + 1);
    }
    return result;
}

void COfferWnd::OnTimer(WPARAM timerId, LPARAM) {
    if (timerId != kTestAnswerTimer) return;
    host.StopTimer(host.Root(), kTestAnswerTimer);
    AnswerForTest();
}

void COfferWnd::AnswerForTest() {
    static const wchar_t* const kButtons[] = {L"offer_now", L"offer_later", L"offer_skip"};
    CControlUI* button = host.FindControlByName(kButtons[static_cast<int>(testAnswer->choice)]);
    if (button && button->IsVisible()) {
        button->Activate();
    } else {
        Close(IDCANCEL);
    }
}

void COfferWnd::OnClick(NotifyMsg& msg) {
    if (IsNamed(msg.sender, L"offer_now")) {
        if (details.informational) OpenInBrowser(details.detailsLink.c_str());
        Answer(OfferChoice::InstallNow);
    } else if (IsNamed(msg.sender, L"offer_later") || IsNamed(msg.sender, L"closebtn")) {
        Answer(OfferChoice::Later);
    } else if (IsNamed(msg.sender, L"offer_skip")) {
        Answer(OfferChoice::Skip);
    }
}

void COfferWnd::Answer(OfferChoice answer) {
    choice = answer;
    LogLine("offer: the user chose %s", OfferChoiceName(answer));
    Close(IDOK);
}

void COfferWnd::OnLink(NotifyMsg& msg) {
    auto* text = msg.sender ? static_cast<CTextUI*>(msg.sender->CastTo(L"Text")) : nullptr;
    const CWideString* url = text ? text->LinkText(static_cast<int>(msg.wParam)) : nullptr;
    OpenInBrowser(url ? url->GetData() : nullptr);
}

// Escape is "later", as closing is; Enter is left to the focused button.
bool COfferWnd::HandleDefaultKey(WPARAM key) {
    if (key == VK_ESCAPE) Answer(OfferChoice::Later);
    return false;
}
