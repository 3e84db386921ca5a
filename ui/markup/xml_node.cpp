#include "ui/markup/xml_reader.h"

#include <cwchar>

#include "ui/markup/xml_parser.h"

CXmlNode CXmlNode::NodeAt(uint32_t index) const {
    return index != 0 ? CXmlNode(m_document, index) : CXmlNode();
}

CXmlNode CXmlNode::NextSibling() const {
    return IsValid() ? NodeAt(Record().nextSibling) : CXmlNode();
}

CXmlNode CXmlNode::FirstChild() const {
    return IsValid() ? NodeAt(Record().firstChild) : CXmlNode();
}

bool CXmlNode::HasChildren() const {
    return IsValid() && Record().firstChild != 0;
}

const wchar_t* CXmlNode::Tag() const {
    return IsValid() ? m_document->text + Record().nameStart : L"";
}

const wchar_t* CXmlNode::Value() const {
    return IsValid() ? m_document->text + Record().valueStart : L"";
}

// Walks the start tag between the element name and the value start. The parser left every
// attribute as: name, a zero (over the "=" or the first character after the name), perhaps
// whitespace and the "=", the opening quote, the value, a zero, filler spaces.
void CXmlNode::BuildAttributeMap() const {
    m_attrCount = 0;
    const wchar_t* text = m_document->text;
    const wchar_t* end = text + Record().valueStart;
    const wchar_t* p = text + Record().nameStart;
    while (p < end && IsXmlNameChar(*p)) {
        ++p;
    }
    if (p < end) {
        ++p;  // the terminator of the element name
    }
    while (m_attrCount < kMaxAttributes) {
        while (p < end && IsXmlSpace(*p)) {
            ++p;
        }
        if (p >= end) {
            break;
        }
        const wchar_t* name = p;
        while (p < end && IsXmlNameChar(*p)) {
            ++p;
        }
        if (p < end && *p == L'\0') {
            ++p;
        }
        while (p < end && (IsXmlSpace(*p) || *p == L'=')) {
            ++p;
        }
        if (p >= end || *p != L'"') {
            break;
        }
        ++p;
        m_attrs[m_attrCount++] = {static_cast<uint32_t>(name - text), static_cast<uint32_t>(p - text)};
        while (p < end && *p != L'\0') {
            ++p;
        }
        if (p < end) {
            ++p;
        }
    }
    m_mapBuilt = true;
}

int CXmlNode::AttrCount() const {
    if (!IsValid()) {
        return 0;
    }
    if (!m_mapBuilt) {
        BuildAttributeMap();
    }
    return m_attrCount;
}

const wchar_t* CXmlNode::AttrName(int index) const {
    if (index < 0 || index >= AttrCount()) {
        return L"";
    }
    return m_document->text + m_attrs[index].name;
}

const wchar_t* CXmlNode::AttrValue(int index) const {
    if (index < 0 || index >= AttrCount()) {
        return L"";
    }
    return m_document->text + m_attrs[index].value;
}

const wchar_t* CXmlNode::FindAttrValue(const wchar_t* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    int count = AttrCount();
    for (int i = 0; i < count; ++i) {
        if (wcscmp(m_document->text + m_attrs[i].name, name) == 0) {
            return m_document->text + m_attrs[i].value;
        }
    }
    return nullptr;
}

bool CXmlNode::FindAttr(const wchar_t* name, wchar_t* buffer) const {
    const wchar_t* value = FindAttrValue(name);
    if (value == nullptr || buffer == nullptr) {
        return false;
    }
    int n = 0;
    while (n < kAttrBufferSize - 1 && value[n] != L'\0') {
        buffer[n] = value[n];
        ++n;
    }
    buffer[n] = L'\0';
    return true;
}
