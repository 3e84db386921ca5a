#pragma once
// Release notes in the user's language: of an item's descriptions and notes links, the one whose
// xml:lang matches the user's UI language ("zh-CN" matches "zh-CN", then "zh", then any "zh-…"),
// falling back to the one without a language.

#include <string>

#include "updater/feed/appcast.h"

void ChooseItemLanguage(FeedItem& item, const std::wstring& uiLanguage);
