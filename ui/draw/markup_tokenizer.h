#pragma once
// The tag language of marked-up text, read token by token: text runs, newlines, opening tags
// with their argument, closing tags and the four bracket escapes. Tags use angle brackets or
// braces interchangeably. Pure text handling: the layout that draws the tokens is elsewhere.
// Also here: reading the arguments of the "c", "f" and "i" tags.

#include <windows.h>

#include "ui/util/wide_string.h"

enum class MarkupTokenKind { End, Text, Newline, OpenTag, CloseTag, Escape };

struct MarkupToken {
    MarkupTokenKind kind = MarkupTokenKind::End;
    // Text: the run; OpenTag: the argument (may be empty); Escape: the bracket to draw.
    const wchar_t* text = nullptr;
    int length = 0;
    wchar_t letter = 0;  // tag letter
    const wchar_t* next = nullptr;
};

// The token at `p`. In raw mode only the closing raw tag and newlines end a text run.
MarkupToken NextMarkupToken(const wchar_t* p, bool raw);

// "c": hexadecimal RRGGBB after an optional "#", read as a signed 32-bit number (so larger
// values saturate at 0x7FFFFFFF); the alpha byte is dropped.
DWORD ParseMarkupColor(const CWideString& argument);

struct MarkupFontArgs {
    bool byIndex = false;
    int index = 0;
    CWideString face;  // at most kMaxFaceLength characters
    int size = 10;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};
constexpr int kMaxFaceLength = 31;
MarkupFontArgs ParseMarkupFont(const CWideString& argument);

struct MarkupImageArgs {
    CWideString name;  // empty: the tag is the italic tag
    CWideString resourceType;
    int count = 1;
    int index = 0;
};
MarkupImageArgs ParseMarkupImage(const CWideString& argument);
