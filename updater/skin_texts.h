#pragma once
// Puts the user's language into a window built from the skin: the skin keeps its layout, and
// these texts replace the ones written into it.

#include <initializer_list>

#include "updater/ui_texts.h"

class CWindowHostUI;

struct SkinText {
    const wchar_t* control;  // the control's name in the skin
    TextId text;
    bool tooltip = false;    // the tooltip rather than the text (what a screen reader says of an icon)
};

// Controls the skin does not have are passed over.
void ApplySkinTexts(CWindowHostUI& host, std::initializer_list<SkinText> texts);
