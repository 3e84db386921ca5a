#pragma once
// CXmlReader reads one skin document into memory; CXmlNode gives read access to its elements.
// The text is decoded to UTF-16 once and names and values are cut out of that buffer in place,
// so node strings stay valid exactly as long as the document stays loaded.

#include <cstdint>

#include "ui/markup/xml_decode.h"
#include "ui/markup/xml_document.h"

class CXmlReader;

class CXmlNode {
public:
    static constexpr int kMaxAttributes = 64;
    static constexpr int kAttrBufferSize = 500;

    CXmlNode() = default;  // invalid

    bool IsValid() const { return m_document != nullptr; }
    CXmlNode NextSibling() const;
    CXmlNode FirstChild() const;
    bool HasChildren() const;
    const wchar_t* Tag() const;    // "" for an invalid node
    const wchar_t* Value() const;  // the element's character data; "" for an invalid node

    // Only the first 64 attributes of an element are visible.
    bool HasAttributes() const { return AttrCount() > 0; }
    int AttrCount() const;
    const wchar_t* AttrName(int index) const;   // "" out of range
    const wchar_t* AttrValue(int index) const;  // "" out of range
    // First attribute of that exact name: copies at most 499 characters of its value into a
    // buffer of kAttrBufferSize characters. False, buffer untouched, when absent.
    bool FindAttr(const wchar_t* name, wchar_t* buffer) const;
    // The same lookup without the copy; null when absent.
    const wchar_t* FindAttrValue(const wchar_t* name) const;

private:
    friend class CXmlReader;
    CXmlNode(const XmlDocument* document, uint32_t index) : m_document(document), m_index(index) {}

    const XmlElementRecord& Record() const { return m_document->elements[m_index]; }
    CXmlNode NodeAt(uint32_t index) const;
    void BuildAttributeMap() const;

    struct AttributeRef {
        uint32_t name;
        uint32_t value;
    };

    const XmlDocument* m_document = nullptr;
    uint32_t m_index = 0;
    mutable bool m_mapBuilt = false;
    mutable int m_attrCount = 0;
    mutable AttributeRef m_attrs[kMaxAttributes];
};

class CXmlReader {
public:
    // Skin files and archive entries above 4 MiB are refused before reading.
    static constexpr uint32_t kMaxFileSize = 4u * 1024 * 1024;

    CXmlReader() = default;
    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;

    bool LoadText(const wchar_t* text);
    bool LoadBytes(const void* bytes, uint32_t size);
    // Reads `name` from the resource folder or the skin archive the window host keeps.
    bool LoadSkinFile(const wchar_t* name);
    void Clear();

    CXmlNode RootNode() const;
    const wchar_t* ErrorText() const { return m_doc.errorText; }
    const wchar_t* ErrorContext() const { return m_doc.errorContext; }

    void SetPreserveWhitespace(bool preserve) { m_doc.preserveWhitespace = preserve; }

    // The decoded text after parsing (names and values cut into it); null when not loaded.
    const wchar_t* DocumentText() const { return m_doc.text; }
    uint32_t DocumentLength() const { return m_doc.textLength; }

    // Measurements: records in use (including the reserved record 0), how often the table was
    // reallocated by the last parse, the bytes the document holds (text plus table), and the
    // most it held at once while parsing (a growing table counted twice, old and new block).
    uint32_t ElementCount() const { return m_doc.elementCount; }
    uint32_t TableGrowthCount() const { return m_doc.tableGrowths; }
    size_t MemoryUsed() const;
    size_t PeakMemoryUsed() const { return m_doc.peakBytes; }

private:
    bool ParseDecoded(const DecodedText& decoded);
    bool Fail(const wchar_t* message);

    XmlDocument m_doc;
};
