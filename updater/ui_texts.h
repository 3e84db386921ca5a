#pragma once
// Every text the updater shows the user (windows, window titles, balloons, tray tips, what screen
// readers say), one table per language (ui_texts_zh_cn.cpp, ui_texts_en.cpp), in TextId order.
// A pattern marks where a value goes with {0}, {1}, ...

#include <initializer_list>
#include <string>
#include <string_view>

#include "updater/ui_language.h"

enum class TextId {
    // The update window.
    UpdateWindowTitle,    // the native window's own title
    DownloadTitle,        // the title band
    CurrentFileCaption,
    ProgressCaption,
    HideToTray,
    UpdatingTip,          // the notification-area icon's tip
    StepPreparing,        // the title band during the installation, one per step
    StepBackingUp,
    StepClosing,
    StepReplacing,
    StepStarting,
    StepFinishing,
    CloseProgramPrompt,   // {0}: the product
    Retry,
    Cancel,
    // The failure balloons.
    DownloadFailed,
    RestoredAfterFailedStart,
    InstallImpossible,
    SignatureRefused,
    PublisherRefused,
    // The feed check.
    CheckTip,
    UpToDate,
    CheckFailed,
    CheckingForUpdates,   // the window of a check the user asked for
    // The new-version window.
    OfferTitle,
    Close,
    OfferCritical,
    NotesCaption,
    NotesGroup,
    SkipVersion,
    RemindLater,
    UpdateNow,
    NewVersionFallback,   // stands in for a missing product name
    VersionReleased,      // {0}: product, {1}: new version
    InstalledVersion,     // {0}: installed version, follows VersionReleased
    FullNotesLink,
    KeyChangedNote,       // why a lost-key recovery is offered
    ViewDetails,          // an informational release's button, in place of UpdateNow
    Installing,           // the title band while a vendor's installer runs
    Count
};

// The text in the current language, or in `language`.
const wchar_t* UiText(TextId id);
const wchar_t* UiText(TextId id, Language language);

// `pattern` with {0}, {1}, ... replaced by `values` in order; an unknown mark stays as it is.
std::wstring FillIn(std::wstring_view pattern, std::initializer_list<std::wstring_view> values);

// The tables, TextId::Count entries each.
extern const wchar_t* const kChineseTexts[];
extern const wchar_t* const kEnglishTexts[];
