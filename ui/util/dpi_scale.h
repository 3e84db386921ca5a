#pragma once
// Display scaling of skin lengths. Skins are written in pixels of a 96-DPI display; a host on a
// display of another DPI scales each length once, when a value enters the framework (an
// attribute as it is applied, a window setting, a font height, an image rectangle), and layout
// and painting then work in device pixels only. Everything here is pure arithmetic and text, so
// the rule is tested without a window.

#include <windows.h>

#include "ui/util/wide_string.h"

namespace dpi {

constexpr int kSkinDpi = 96;

// The one rounding rule: value * dpi / fromDpi, halves rounded away from zero (as MulDiv
// does), the result held inside the int range. A DPI that is not positive counts as 96.
int ScaleLength(int value, int dpi, int fromDpi = kSkinDpi);
RECT ScaleRect(const RECT& rc, int dpi, int fromDpi = kSkinDpi);
SIZE ScaleSize(SIZE size, int dpi);

// True when `name` is an attribute whose value holds lengths (positions, sizes, paddings,
// insets, borders, or a scroll bar style list that holds some).
bool IsLengthAttribute(const wchar_t* name);

// The attribute's value with its lengths scaled: the same number of numbers, comma-separated,
// or a style list with its length entries scaled. Values of other attributes, and any value at
// 96 DPI, come back as they are.
CWideString ScaleAttributeValue(const wchar_t* name, const wchar_t* value, int dpi);

// A name="value" list (class defaults, scroll bar styles) with its length entries scaled. At
// 96 DPI the text comes back as it is; otherwise the entries that read cleanly are written out
// again with one space between them.
CWideString ScaleAttributeList(const wchar_t* list, int dpi);

// An image variant drawn for a display scale: "@2x" or "@1.5x" before the extension.
struct ImageVariant {
    const wchar_t* suffix;  // empty for the 96-DPI original
    int dpi;                // the DPI it was drawn for
};

// The variants to try for a display, in order: the smallest one not smaller than needed, then
// the larger ones, then the smaller ones from the largest down, the original last. Returns how
// many were written (at most 3).
int ImageVariantsFor(int dpi, ImageVariant* out, int capacity);

// "skin/bg.png" with "@2x" becomes "skin/bg@2x.png"; a name without an extension gets the
// suffix at its end.
CWideString VariantName(const wchar_t* name, const wchar_t* suffix);

}  // namespace dpi
