// The English texts, in TextId order. Each fits where the skin puts its Chinese text, at every
// display scale, so a few are shorter than a word-for-word rendering.

#include "updater/ui_texts.h"

const wchar_t* const kEnglishTexts[] = {
    L"Online update",
    L"File download",
    L"File:",
    L"Progress:",
    L"Hide to tray",
    L"Updating the program",
    L"Preparing the installation",
    L"Backing up the old version",
    L"Closing the program",
    L"Replacing the file",
    L"Starting the new version",
    L"Finishing the installation",
    L"Close {0}, then click Retry",
    L"Retry",
    L"Cancel",
    L"Download error, update failed!",
    L"The new version did not start; the old one was restored",
    L"The update cannot be installed (folder not writable or disk full)",
    L"The update's signature was refused",
    L"The update's publisher was refused",
    L"Check for updates",
    L"Already up to date",
    L"Update check failed!",
    L"Checking for updates…",
    L"New version available",
    L"Close",
    L"This is an important update; please install it soon.",
    L"Release notes:",
    L"Release notes",
    L"Skip version",
    L"Later",
    L"Update now",
    L"New version",
    L"{0} {1} is available",
    L" (you have {0})",
    L"Read the full release notes in your browser",
    L"Offered because the vendor's signing key changed; the publisher is the same.",
    L"View details",
    L"Installing",
};

static_assert(sizeof kEnglishTexts / sizeof kEnglishTexts[0] == static_cast<size_t>(TextId::Count),
              "one English text for each TextId");
