#include "updater/feed/relative_url.h"

#include <cwctype>
#include <vector>

namespace {

// A scheme: a letter, then letters, digits, "+", "-" or "." up to the first ":".
bool HasScheme(const std::wstring& url) {
    const size_t colon = url.find(L':');
    if (colon == std::wstring::npos || colon == 0 || !std::iswalpha(url[0])) return false;
    for (size_t i = 1; i < colon; ++i) {
        const wchar_t ch = url[i];
        if (!std::iswalnum(ch) && ch != L'+' && ch != L'-' && ch != L'.') return false;
    }
    return true;
}

// The path with "." and ".." segments removed.
std::wstring WithoutDotSegments(const std::wstring& path) {
    std::vector<std::wstring> segments;
    size_t start = 1;  // the path starts with "/"
    while (start <= path.size()) {
        size_t end = path.find(L'/', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring segment = path.substr(start, end - start);
        const bool last = end == path.size();
        if (segment == L"..") {
            if (!segments.empty()) segments.pop_back();
            if (last) segments.push_back(L"");
        } else if (segment == L".") {
            if (last) segments.push_back(L"");
        } else {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::wstring out;
    for (const std::wstring& segment : segments) out += L"/" + segment;
    return out.empty() ? L"/" : out;
}

}  // namespace

std::wstring ResolveUrl(const std::wstring& base, const std::wstring& reference) {
    if (reference.empty() || HasScheme(reference) || !HasScheme(base)) return reference;
    const size_t schemeEnd = base.find(L':') + 1;
    if (reference.compare(0, 2, L"//") == 0) return base.substr(0, schemeEnd) + reference;
    // scheme://authority, then the path up to a query or fragment.
    const size_t authorityStart = base.compare(schemeEnd, 2, L"//") == 0 ? schemeEnd + 2 : schemeEnd;
    const size_t pathStart = base.find_first_of(L"/?#", authorityStart);
    const std::wstring origin = base.substr(0, pathStart);
    const size_t pathEnd = pathStart == std::wstring::npos ? std::wstring::npos : base.find_first_of(L"?#", pathStart);
    std::wstring path = pathStart == std::wstring::npos ? L"" : base.substr(pathStart, pathEnd - pathStart);
    if (path.empty()) path = L"/";
    if (reference[0] == L'#') return base.substr(0, base.find(L'#')) + reference;
    if (reference[0] == L'?') return origin + path + reference;
    const size_t referenceEnd = reference.find_first_of(L"?#");
    const std::wstring tail = referenceEnd == std::wstring::npos ? L"" : reference.substr(referenceEnd);
    const std::wstring referencePath = reference.substr(0, referenceEnd);
    const std::wstring merged =
        referencePath[0] == L'/' ? referencePath : path.substr(0, path.rfind(L'/') + 1) + referencePath;
    return origin + WithoutDotSegments(merged) + tail;
}
