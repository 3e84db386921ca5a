#pragma once
// The storage behind one skin document: the decoded text, into which names and values are cut
// in place, and the flat element table that links elements by index. Record 0 is reserved so
// that index 0 can mean "none"; the first element (the root) is record 1.

#include <cstddef>
#include <cstdint>

struct XmlElementRecord {
    uint32_t nameStart;    // character offset of the name in the text
    uint32_t firstChild;   // 0 for none
    uint32_t nextSibling;  // 0 for none
    uint32_t parent;       // 0 for a top-level element
    uint32_t valueStart;   // character offset of the character data
};

class XmlDocument {
public:
    static constexpr int kErrorTextCapacity = 100;
    static constexpr int kErrorContextCapacity = 50;

    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Takes ownership of a zero-terminated new[] buffer of `capacity` characters.
    void AdoptText(wchar_t* text, uint32_t length, uint32_t capacity);
    void Release();

    // Appends a zeroed record; returns its index, or 0 when the table cannot grow.
    uint32_t AppendElement();
    void ResetElements();
    // Raises the peak to the bytes of the text plus `records` table records if they are more.
    void NoteHeld(uint64_t records);

    void SetError(const wchar_t* message, const wchar_t* location);
    void ClearError();

    wchar_t* text = nullptr;
    uint32_t textLength = 0;
    uint32_t textCapacity = 0;
    XmlElementRecord* elements = nullptr;
    uint32_t elementCount = 0;
    uint32_t elementCapacity = 0;
    uint32_t tableGrowths = 0;  // reallocations during the last parse, for measurements
    size_t peakBytes = 0;       // most bytes the last parse held at once, for measurements
    bool preserveWhitespace = true;
    wchar_t errorText[kErrorTextCapacity];
    wchar_t errorContext[kErrorContextCapacity];
};
