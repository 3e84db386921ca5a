#include "ui/markup/xml_parser.h"

#include <cwctype>

namespace {

struct Entity {
    const wchar_t* text;  // what follows the ampersand
    int length;
    wchar_t value;
};

const Entity kEntities[] = {
    {L"amp;", 4, L'&'}, {L"lt;", 3, L'<'}, {L"gt;", 3, L'>'}, {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''},
};

// True when `text` starts with the `length` characters of `prefix`; stops at the first
// difference, so it never reads past the terminator of `text`.
bool StartsWith(const wchar_t* text, const wchar_t* prefix, int length) {
    for (int i = 0; i < length; ++i) {
        if (text[i] != prefix[i]) {
            return false;
        }
    }
    return true;
}

class XmlParser {
public:
    explicit XmlParser(XmlDocument& document) : m_doc(document), m_p(document.text) {}

    bool Run() {
        if (m_doc.AppendElement() != 0) {  // reserves record 0
            return Fail(L"Out of memory", nullptr);
        }
        return ParseList(0, 0);
    }

private:
    bool ParseList(uint32_t parent, int depth);
    bool ParseElement(uint32_t index, uint32_t parent, int depth);
    bool ParseAttributes();
    bool ParseEndTag(const wchar_t* name, const wchar_t* nameEnd);
    wchar_t* ParseData(wchar_t terminator);
    void SkipMarkupDeclaration();
    uint32_t NewElement(uint32_t parent, uint32_t previous);

    void SkipSpace() {
        while (IsXmlSpace(*m_p)) {
            ++m_p;
        }
    }
    void SkipName() {
        while (IsXmlNameChar(*m_p)) {
            ++m_p;
        }
    }
    uint32_t Offset(const wchar_t* p) const { return static_cast<uint32_t>(p - m_doc.text); }
    bool Fail(const wchar_t* message, const wchar_t* location) {
        m_doc.SetError(message, location);
        return false;
    }

    XmlDocument& m_doc;
    wchar_t* m_p;
};

// A top-level element list and the list inside the first element may stop at the end of the
// text; any other list must reach its parent's end tag.
bool XmlParser::ParseList(uint32_t parent, int depth) {
    SkipSpace();
    uint32_t previous = 0;
    for (;;) {
        if (*m_p == L'\0' && parent <= 1) {
            return true;
        }
        SkipSpace();
        if (*m_p != L'<') {
            return Fail(L"Expected start tag", m_p);
        }
        if (m_p[1] == L'/') {
            return true;  // the caller reads the end tag
        }
        *m_p++ = L'\0';
        SkipSpace();
        if (*m_p == L'!' || *m_p == L'?') {
            SkipMarkupDeclaration();
            continue;
        }
        if (depth >= kMaxXmlNesting) {
            return Fail(L"Elements nested too deeply", m_p);
        }
        uint32_t index = NewElement(parent, previous);
        if (index == 0) {
            return Fail(L"Out of memory", m_p);
        }
        if (!ParseElement(index, parent, depth)) {
            return false;
        }
        SkipSpace();
        previous = index;
    }
}

// Comments run to "->" and processing instructions to "?>", or to the end of the text.
void XmlParser::SkipMarkupDeclaration() {
    wchar_t closing = *m_p == L'!' ? L'-' : L'?';
    while (*m_p != L'\0' && !(m_p[0] == closing && m_p[1] == L'>')) {
        ++m_p;
    }
    if (*m_p != L'\0') {
        m_p += 2;
    }
    SkipSpace();
}

uint32_t XmlParser::NewElement(uint32_t parent, uint32_t previous) {
    uint32_t index = m_doc.AppendElement();
    if (index == 0) {
        return 0;
    }
    XmlElementRecord& record = m_doc.elements[index];
    record.nameStart = Offset(m_p);
    record.parent = parent;
    if (previous != 0) {
        m_doc.elements[previous].nextSibling = index;
    } else if (parent != 0) {
        m_doc.elements[parent].firstChild = index;
    }
    return index;
}

bool XmlParser::ParseElement(uint32_t index, uint32_t parent, int depth) {
    wchar_t* name = m_p;
    SkipName();
    wchar_t* nameEnd = m_p;
    if (*m_p == L'\0') {
        return Fail(L"Error parsing element name", m_p);
    }
    if (!ParseAttributes()) {
        return false;
    }
    SkipSpace();
    if (m_p[0] == L'/' && m_p[1] == L'>') {
        m_doc.elements[index].valueStart = Offset(m_p);
        *m_p = L'\0';
        m_p += 2;
        *nameEnd = L'\0';
        return true;
    }
    if (*m_p != L'>') {
        return Fail(L"Expected start-tag closing", m_p);
    }
    ++m_p;
    *nameEnd = L'\0';  // may be the '>' just stepped over; the value starts after it
    m_doc.elements[index].valueStart = Offset(m_p);
    wchar_t* valueEnd = ParseData(L'<');
    if (valueEnd != m_p) {
        *valueEnd = L'\0';
    }
    if (*m_p == L'\0' && parent <= 1) {
        return true;  // the root, or an element right inside it, unterminated at the end
    }
    if (*m_p != L'<') {
        return Fail(L"Expected end-tag start", m_p);
    }
    if (m_p[1] != L'/' && !ParseList(index, depth + 1)) {
        return false;
    }
    if (m_p[0] == L'<' && m_p[1] == L'/') {
        return ParseEndTag(name, nameEnd);
    }
    return true;
}

bool XmlParser::ParseEndTag(const wchar_t* name, const wchar_t* nameEnd) {
    *m_p = L'\0';
    m_p += 2;
    SkipSpace();
    int length = static_cast<int>(nameEnd - name);
    if (!StartsWith(m_p, name, length)) {
        return Fail(L"Unmatched closing tag", m_p);
    }
    m_p += length;
    SkipSpace();
    if (*m_p != L'>') {
        return Fail(L"Unmatched closing tag", m_p);
    }
    ++m_p;
    return true;
}

// The reader stands on the first character after the element name.
bool XmlParser::ParseAttributes() {
    if (*m_p == L'>') {
        return true;
    }
    if (!(m_p[0] == L'/' && m_p[1] == L'>')) {
        *m_p++ = L'\0';  // ends the name; never the text's own terminator (checked by the caller)
    }
    SkipSpace();
    while (*m_p != L'\0' && *m_p != L'>' && *m_p != L'/') {
        wchar_t* nameEnd;
        SkipName();
        nameEnd = m_p;
        SkipSpace();
        if (*m_p != L'=') {
            return Fail(L"Error while parsing attributes", m_p);
        }
        *nameEnd = L'\0';
        ++m_p;
        SkipSpace();
        if (*m_p != L'"') {
            return Fail(L"Expected attribute value", *m_p != L'\0' ? m_p + 1 : m_p);
        }
        ++m_p;
        wchar_t* valueEnd = ParseData(L'"');
        if (*m_p == L'\0') {
            return Fail(L"Error while parsing attribute string", m_p);
        }
        // The closing quote becomes the terminator, or filler after an entity-shortened value.
        *m_p = valueEnd == m_p ? L'\0' : L' ';
        *valueEnd = L'\0';
        ++m_p;
        SkipSpace();
    }
    return true;
}

// Copies character data compactly over itself up to `terminator` (or the end of the text),
// decoding the named entities; returns where the compacted data ends. The gap between that
// and the terminator is filled with spaces so the attribute walk can step over it.
wchar_t* XmlParser::ParseData(wchar_t terminator) {
    // Most values hold no entity: nothing needs to move until the first "&".
    const bool collapse = !m_doc.preserveWhitespace;
    const uint8_t stop = terminator == L'<' ? xml_chars::kEndsText : xml_chars::kEndsValue;
    while (!xml_chars::Has(*m_p, stop) && !(collapse && *m_p == L' ')) {
        ++m_p;
    }
    wchar_t* out = m_p;
    while (*m_p != L'\0' && *m_p != terminator) {
        if (*m_p == L'&') {
            const Entity* match = nullptr;
            for (const Entity& entity : kEntities) {
                if (StartsWith(m_p + 1, entity.text, entity.length)) {
                    match = &entity;
                    break;
                }
            }
            *out++ = match != nullptr ? match->value : L'&';
            m_p += match != nullptr ? 1 + match->length : 1;
        } else if (*m_p == L' ') {
            *out++ = *m_p++;
            if (collapse) {
                SkipSpace();
            }
        } else {
            *out++ = *m_p++;
        }
    }
    for (wchar_t* fill = out; fill < m_p; ++fill) {
        *fill = L' ';
    }
    return out;
}

}  // namespace

bool xml_chars::IsNonAsciiNameChar(wchar_t ch) {
    return iswalnum(ch) != 0;
}

bool ParseXmlDocument(XmlDocument& document) {
    document.ResetElements();
    document.ClearError();
    if (document.text == nullptr) {
        return true;
    }
    return XmlParser(document).Run();
}
