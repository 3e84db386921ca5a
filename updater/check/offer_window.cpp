// ShowOfferWindow: the new-version window as a modal question.

#include "updater/check/offer_window.h"

#include "updater/check/offer_dialog.h"
#include "updater/ui_texts.h"
#include "updater/update_log.h"

OfferChoice ShowOfferWindow(const OfferDetails& details) {
    COfferWnd window(details, OfferTestAnswerFromEnvironment());
    // The skin removes the caption again; the caption bits only give the window its system menu
    // and its taskbar behaviour. No tool-window style: the taskbar shows the question.
    const DWORD style =
        WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    if (window.Create(nullptr, UiText(TextId::OfferTitle), style, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE) == nullptr) {
        // Nothing was asked, so nothing is decided: the offer comes again at the next check.
        LogLine("offer: the window could not be created; counted as later");
        return OfferChoice::Later;
    }
    window.CenterWindow();
    window.ShowModal();
    return window.Choice();
}
