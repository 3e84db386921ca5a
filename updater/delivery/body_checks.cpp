#include "updater/delivery/body_checks.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "ui/util/unique_handle.h"
#include "updater/delivery/retry_policy.h"
#include "updater/paths.h"

namespace {

bool HeaderIs(const char* line, size_t size, const char* name, size_t nameLength) {
    return size > nameLength && _strnicmp(line, name, nameLength) == 0;
}

const char kErrorPageMarker[] = "<html><head><title>Apache";
constexpr size_t kErrorPageMarkerLength = sizeof kErrorPageMarker - 1;

}  // namespace

bool ContainsErrorPageMarker(const char* data, size_t size) {
    // The search stops at the first zero byte: a marker behind one belongs to binary data.
    const void* zero = std::memchr(data, '\0', size);
    const char* end = zero ? static_cast<const char*>(zero) : data + size;
    // Every chunk of the download passes through here, so jump between '<' bytes.
    for (const char* at = data; end - at >= static_cast<ptrdiff_t>(kErrorPageMarkerLength); ++at) {
        at = static_cast<const char*>(std::memchr(at, '<', static_cast<size_t>(end - at)));
        if (at == nullptr || end - at < static_cast<ptrdiff_t>(kErrorPageMarkerLength)) return false;
        if (std::memcmp(at, kErrorPageMarker, kErrorPageMarkerLength) == 0) return true;
    }
    return false;
}

bool ErrorPageScanner::Found(const char* data, size_t size) {
    static_assert(kTailBytes + 1 == kErrorPageMarkerLength, "the tail holds all but one marker byte");
    if (binary_) return false;
    const void* zero = std::memchr(data, '\0', size);
    const size_t textSize = zero ? static_cast<size_t>(static_cast<const char*>(zero) - data) : size;
    binary_ = zero != nullptr;

    // A marker split by the chunk boundary lies in the kept tail plus the start of this chunk.
    char joined[2 * kTailBytes];
    const size_t head = std::min(textSize, kTailBytes);
    std::memcpy(joined, tail_, tailSize_);
    std::memcpy(joined + tailSize_, data, head);
    if (ContainsErrorPageMarker(joined, tailSize_ + head) || ContainsErrorPageMarker(data, textSize))
        return true;
    KeepTail(joined, tailSize_ + head, data, textSize);
    return false;
}

void ErrorPageScanner::KeepTail(const char* joined, size_t joinedSize, const char* text, size_t textSize) {
    // A chunk shorter than the tail is wholly inside `joined`, behind the old tail.
    const char* source = textSize >= kTailBytes ? text + textSize - kTailBytes : joined;
    const size_t available = textSize >= kTailBytes ? kTailBytes : joinedSize;
    tailSize_ = std::min(available, kTailBytes);
    std::memcpy(tail_, source + available - tailSize_, tailSize_);
}

void BodyStart::Add(const char* data, size_t size) {
    for (size_t i = 0; i < size && size_ + i < sizeof head_; ++i) head_[size_ + i] = data[i];
    size_ += size;
}

bool BodyFitsTarget(const BodyStart& body, bool targetIsWindowsImage) {
    return body.Size() > 0 && (!targetIsWindowsImage || body.IsWindowsImage());
}

bool IsIdentityCoding(const std::string& coding) {
    return coding.empty() || _stricmp(coding.c_str(), "identity") == 0;
}

std::string Trimmed(const char* text, size_t size) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (size > 0 && blank(text[0])) ++text, --size;
    while (size > 0 && blank(text[size - 1])) --size;
    return std::string(text, size);
}

size_t ReadResponseHeaderLine(char* line, size_t size, size_t count, void* userdata) {
    auto* headers = static_cast<ResponseHeaders*>(userdata);
    const size_t bytes = size * count;
    static const char kEncoding[] = "Content-Encoding:";
    static const char kRetryAfter[] = "Retry-After:";
    if (HeaderIs(line, bytes, "HTTP/", 5)) {
        *headers = ResponseHeaders();
    } else if (HeaderIs(line, bytes, kEncoding, sizeof kEncoding - 1)) {
        headers->contentCoding = Trimmed(line + sizeof kEncoding - 1, bytes - (sizeof kEncoding - 1));
    } else if (HeaderIs(line, bytes, kRetryAfter, sizeof kRetryAfter - 1)) {
        headers->retryAfterSeconds = ParseRetryAfter(line + sizeof kRetryAfter - 1,
                                                     static_cast<unsigned long>(bytes - (sizeof kRetryAfter - 1)));
    }
    return bytes;
}
