#include "ui/draw/markup_tokenizer.h"

#include <cwchar>

#include "ui/draw/image_description.h"

namespace {

bool IsOpening(wchar_t ch) {
    return ch == L'<' || ch == L'{';
}

bool IsClosing(wchar_t ch) {
    return ch == L'>' || ch == L'}';
}

bool IsTagLetter(wchar_t ch) {
    return ch >= L'a' && ch <= L'z';
}

bool IsLineEnd(wchar_t ch) {
    return ch == L'\n' || ch == L'\r';
}

bool IsCloseTag(const wchar_t* p) {
    return IsOpening(p[0]) && p[1] == L'/' && IsTagLetter(p[2]) && IsClosing(p[3]);
}

bool IsEscape(const wchar_t* p) {
    return IsOpening(p[0]) && (IsOpening(p[1]) || IsClosing(p[1])) && IsClosing(p[2]);
}

bool IsOpenTag(const wchar_t* p) {
    return IsOpening(p[0]) && IsTagLetter(p[1]) && (p[2] == L' ' || IsClosing(p[2]));
}

bool StartsToken(const wchar_t* p) {
    return IsCloseTag(p) || IsEscape(p) || IsOpenTag(p);
}

MarkupToken TextUntil(const wchar_t* p, bool raw) {
    const wchar_t* end = p + 1;  // the first character is text whatever it is
    while (*end != L'\0' && !IsLineEnd(*end)) {
        if (raw ? (IsCloseTag(end) && end[2] == L'r') : (IsOpening(*end) && StartsToken(end))) {
            break;
        }
        ++end;
    }
    MarkupToken token;
    token.kind = MarkupTokenKind::Text;
    token.text = p;
    token.length = static_cast<int>(end - p);
    token.next = end;
    return token;
}

const wchar_t* SkipSpaces(const wchar_t* p) {
    while (*p == L' ') {
        ++p;
    }
    return p;
}

}  // namespace

MarkupToken NextMarkupToken(const wchar_t* p, bool raw) {
    MarkupToken token;
    token.next = p;
    if (p == nullptr || *p == L'\0') {
        return token;
    }
    if (IsLineEnd(*p)) {
        // "\r\n" is one line end; a lone "\r" is dropped.
        token.kind = *p == L'\n' ? MarkupTokenKind::Newline : MarkupTokenKind::Text;
        token.next = p + 1;
        if (*p == L'\r') {
            token.text = p;
            token.length = 0;
        }
        return token;
    }
    if (raw) {
        if (IsCloseTag(p) && p[2] == L'r') {
            token.kind = MarkupTokenKind::CloseTag;
            token.letter = L'r';
            token.next = p + 4;
            return token;
        }
        return TextUntil(p, true);
    }
    if (IsCloseTag(p)) {
        token.kind = MarkupTokenKind::CloseTag;
        token.letter = p[2];
        token.next = p + 4;
    } else if (IsEscape(p)) {
        token.kind = MarkupTokenKind::Escape;
        token.text = p + 1;
        token.length = 1;
        token.next = p + 3;
    } else if (IsOpenTag(p)) {
        token.kind = MarkupTokenKind::OpenTag;
        token.letter = p[1];
        const wchar_t* argument = p + 2;
        const wchar_t* end = argument;
        while (*end != L'\0' && !IsClosing(*end)) {
            ++end;
        }
        argument = argument < end ? argument + 1 : argument;  // the space after the letter
        token.text = argument;
        token.length = static_cast<int>(end - argument);
        token.next = *end != L'\0' ? end + 1 : end;
    } else {
        return TextUntil(p, false);
    }
    return token;
}

DWORD ParseMarkupColor(const CWideString& argument) {
    const wchar_t* p = SkipSpaces(argument);
    if (*p == L'#') {
        ++p;
    }
    return static_cast<DWORD>(wcstol(p, nullptr, 16)) & 0x00FFFFFF;
}

MarkupFontArgs ParseMarkupFont(const CWideString& argument) {
    MarkupFontArgs args;
    const wchar_t* p = SkipSpaces(argument);
    if (*p >= L'0' && *p <= L'9') {
        args.byIndex = true;
        args.index = static_cast<int>(wcstol(p, nullptr, 10));
        return args;
    }
    const wchar_t* faceEnd = p;
    while (*faceEnd != L'\0' && *faceEnd != L' ') {
        ++faceEnd;
    }
    int faceLength = static_cast<int>(faceEnd - p);
    args.face.Assign(p, faceLength > kMaxFaceLength ? kMaxFaceLength : faceLength);
    wchar_t* afterSize = nullptr;
    long size = wcstol(faceEnd, &afterSize, 10);
    if (afterSize != faceEnd) {
        args.size = static_cast<int>(size);
    }
    CWideString words(afterSize);
    words.MakeLower();
    args.bold = words.Find(L"bold") >= 0;
    args.underline = words.Find(L"underline") >= 0;
    args.italic = words.Find(L"italic") >= 0;
    return args;
}

MarkupImageArgs ParseMarkupImage(const CWideString& argument) {
    MarkupImageArgs args;
    if (argument.Find(L"file='") >= 0 || argument.Find(L"res='") >= 0) {
        ImageDrawParams params;
        RECT none = {0, 0, 0, 0};
        InitImageDrawParams(params, L"", none);
        ReadImageDescription(argument, none, params, nullptr);
        args.name = params.name;
        args.resourceType = params.resourceType;
        return args;
    }
    const wchar_t* p = SkipSpaces(argument);
    const wchar_t* nameEnd = p;
    while (*nameEnd != L'\0' && *nameEnd != L' ') {
        ++nameEnd;
    }
    args.name.Assign(p, static_cast<int>(nameEnd - p));
    wchar_t* end = nullptr;
    long count = wcstol(nameEnd, &end, 10);
    args.count = count < 1 ? 1 : static_cast<int>(count);
    long index = wcstol(end, nullptr, 10);
    args.index = index < 0 || index >= args.count ? 0 : static_cast<int>(index);
    return args;
}
