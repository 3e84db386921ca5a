#pragma once
// The "发现新版本" window: what a feed check offers, asked of the user before anything is
// downloaded.
#include <string>

enum class OfferChoice { InstallNow, Later, Skip };
struct OfferDetails {
    std::wstring productName;
    std::wstring newVersion;  // display version (shortVersion, else version)
    std::wstring installedVersion;
    std::wstring releaseNotesMarkup;  // from ReleaseNotesToMarkup; empty: no notes shown
    std::wstring releaseNotesLink;    // https only shown; empty: no link
    bool critical = false;            // only "立即更新"; closing counts as Later
    bool keyChanged = false;          // a lost-key recovery: one line says why it is offered
};
// Shows the "发现新版本" window (the window's own title too) modally on the calling thread, with
// "立即更新", "稍后提醒", "跳过此版本"; returns the user's choice. Closing the window is Later.
// Call after CoInitialize and the framework's module instance are set (as main.cpp does).
//
// For tests and the demo only: UPDATER_TEST_OFFER_CHOICE (now, later or skip) makes the window
// answer by itself once painted, by clicking that button (a button a critical offer hides is not
// there: the window is closed instead, which is Later); UPDATER_TEST_OFFER_HOLD_MS keeps it on
// the screen that many milliseconds before it answers.
OfferChoice ShowOfferWindow(const OfferDetails& details);
