#pragma once
// Reader of image description strings such as "file='button.png' source='0,0,52,20'
// corner='4,4,4,4'". Pure text handling: the reader only fills ImageDrawParams and tells its
// caller when the image read so far is to be drawn, so it is testable without a device context.

#include <windows.h>

#include "ui/util/wide_string.h"

struct ImageDrawParams {
    CWideString name;
    CWideString resourceType;
    RECT dest = {0, 0, 0, 0};
    RECT source = {0, 0, 0, 0};   // all zero: the whole image
    RECT corners = {0, 0, 0, 0};  // left, top, right, bottom widths
    DWORD mask = 0;
    BYTE fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
    // Scales. The display's DPI; the DPI the text being read writes its rectangles at (96 for
    // a skin's text, the display's for rectangles the framework computes in device pixels);
    // and the DPI "source" was written at. "corner" is always a skin's, in 96-DPI pixels.
    int dpi = 96;
    int textDpi = 96;
    int sourceDpi = 96;
};

// Called for every image a string asks to draw before the next one is named.
class IImageDrawSink {
public:
    virtual void DrawImageNow(const ImageDrawParams& params) = 0;

protected:
    ~IImageDrawSink() = default;
};

// The defaults of one description: the whole image string names the image and it fills the
// item rectangle.
void InitImageDrawParams(ImageDrawParams& params, const wchar_t* imageString, const RECT& item);

// Reads one string into `params`. "file", "res" and "restype" hand the image read so far to the
// sink when one was already named in this string. A malformed attribute ends the reading; what
// was read before stays in force.
void ReadImageDescription(const wchar_t* text, const RECT& item, ImageDrawParams& params,
                          IImageDrawSink* sink);
