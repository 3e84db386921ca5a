#pragma once
// Checks on a received body that decide whether it may become the installed program: the Apache
// error-page marker anywhere in its text, and whether it is a Windows image when the program it
// replaces is one.

#include <cstddef>
#include <string>

#include "updater/files/windows_image.h"

// An Apache error page sent with a success status; its start marks a body that must not be stored.
// Looks at `data` up to its first zero byte.
bool ContainsErrorPageMarker(const char* data, size_t size);

// Looks for the error-page marker in a body received in chunks. The text searched is the body up
// to its first zero byte (what follows belongs to binary data), whatever the chunk boundaries.
class ErrorPageScanner {
public:
    // True when the marker shows in the text received so far, this chunk included.
    bool Found(const char* data, size_t size);

private:
    static constexpr size_t kTailBytes = 24;  // one byte less than the marker

    void KeepTail(const char* joined, size_t joinedSize, const char* text, size_t textSize);

    bool binary_ = false;
    char tail_[kTailBytes] = {};
    size_t tailSize_ = 0;
};

// The length of a stored body and its first two bytes.
class BodyStart {
public:
    void Add(const char* data, size_t size);
    unsigned long long Size() const { return size_; }
    bool IsWindowsImage() const { return size_ >= 2 && head_[0] == 'M' && head_[1] == 'Z'; }
    bool IsZip() const { return size_ >= 2 && head_[0] == 'P' && head_[1] == 'K'; }

private:
    unsigned long long size_ = 0;
    char head_[2] = {};
};

// Whether a body may replace a program: never an empty one, and over a Windows image only
// another Windows image (a captive portal's login page is not a program).
bool BodyFitsTarget(const BodyStart& body, bool targetIsWindowsImage);

// What an answer's head says about its body and about asking again.
struct ResponseHeaders {
    std::string contentCoding;  // the Content-Encoding value without surrounding blanks, or empty
    long retryAfterSeconds = -1;
};

// libcurl's header callback for a ResponseHeaders (`userdata`): notes what each answer's head says.
// A redirect's or a proxy's answer comes before the final one; each status line starts afresh.
size_t ReadResponseHeaderLine(char* line, size_t size, size_t count, void* userdata);

// True when the body is the file itself: no content coding, or "identity".
bool IsIdentityCoding(const std::string& coding);

// `size` bytes at `text` without leading and trailing blanks and line ends.
std::string Trimmed(const char* text, size_t size);
