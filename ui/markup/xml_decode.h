#pragma once
// Turns the bytes of a skin document into the zero-terminated UTF-16 text the parser works on.

#include <cstdint>

struct DecodedText {
    wchar_t* text = nullptr;  // new[] buffer, zero-terminated; null on failure
    uint32_t length = 0;      // characters before the terminator
    uint32_t capacity = 0;    // characters allocated
};

// Decodes UTF-8 (after skipping a leading EF BB BF byte order mark). Ill-formed sequences
// become U+FFFD rather than failing, exactly as MultiByteToWideChar treats them. Fails only
// when the input is too big to decode or memory runs out.
DecodedText DecodeSkinBytes(const void* bytes, uint32_t size);

// Copies a zero-terminated UTF-16 text; fails for a null text.
DecodedText CopySkinText(const wchar_t* text);
