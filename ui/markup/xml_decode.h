#pragma once
// Turns the bytes of a skin document into the zero-terminated UTF-16 text the parser works on.

#include <cstdint>

// Decodes UTF-8 (after skipping a leading EF BB BF byte order mark). Ill-formed sequences
// become U+FFFD rather than failing, as Windows does. Returns a new[] buffer holding
// *length characters plus a terminating zero, or null when the input is too big to decode.
wchar_t* DecodeSkinBytes(const void* bytes, uint32_t size, uint32_t* length);

// Copies a zero-terminated UTF-16 text into a new[] buffer; null for a null text.
wchar_t* CopySkinText(const wchar_t* text, uint32_t* length);
