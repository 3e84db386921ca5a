#pragma once
// Reading skin attribute values. Everything here is pure text handling, so it can be tested
// without a window: number lists, colours, booleans and the name="value" list format used by
// class defaults and scroll bar styles.

#include <windows.h>

#include "ui/util/wide_string.h"

namespace attr {

// Reads `count` integers with wcstol (base 10): the first from the start of the text, each
// following one from one character after the end of the previous number, so any single
// separator works. Values the text does not reach are 0. A list that ends early never makes
// the reader step over the terminating zero.
void ParseIntList(const wchar_t* text, int* values, int count);

int ParseInt(const wchar_t* text);
RECT ParseRect(const wchar_t* text);
SIZE ParseSize(const wchar_t* text);

// True exactly for the text "true" (case-sensitive).
bool ParseBool(const wchar_t* text);

// Hexadecimal ARGB after one optional "#" in the very first position.
DWORD ParseColor(const wchar_t* text);

// As ParseColor, but control characters and spaces before the "#" are skipped first.
DWORD ParseColorAfterSpaces(const wchar_t* text);

// Walks a list of entries of the form name="value" separated by exactly one space. A missing
// "=", opening or closing quote, or anything but one space and a non-empty rest after an entry
// ends the list silently; entries read so far stay valid.
class CAttributeListReader {
public:
    explicit CAttributeListReader(const wchar_t* text);

    // Fills the next entry; false when the list has ended.
    bool Next(CWideString& name, CWideString& value);

private:
    const wchar_t* m_cursor;
};

}  // namespace attr
