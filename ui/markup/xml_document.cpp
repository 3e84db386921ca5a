#include "ui/markup/xml_document.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

void CopyBounded(wchar_t* target, int capacity, const wchar_t* source) {
    int n = 0;
    if (source != nullptr) {
        while (n < capacity - 1 && source[n] != L'\0') {
            target[n] = source[n];
            ++n;
        }
    }
    target[n] = L'\0';
}

}  // namespace

XmlDocument::XmlDocument() {
    ClearError();
}

XmlDocument::~XmlDocument() {
    Release();
}

void XmlDocument::AdoptText(wchar_t* buffer, uint32_t length, uint32_t capacity) {
    Release();
    text = buffer;
    textLength = length;
    textCapacity = capacity;
}

void XmlDocument::Release() {
    delete[] text;
    text = nullptr;
    textLength = 0;
    textCapacity = 0;
    free(elements);
    elements = nullptr;
    elementCount = 0;
    elementCapacity = 0;
}

void XmlDocument::ResetElements() {
    elementCount = 0;
    tableGrowths = 0;
    peakBytes = 0;
    NoteHeld(elementCapacity);
}

void XmlDocument::NoteHeld(uint64_t records) {
    uint64_t held = static_cast<uint64_t>(textCapacity) * sizeof(wchar_t);
    held += records * sizeof(XmlElementRecord);
    size_t bytes = held < SIZE_MAX ? static_cast<size_t>(held) : SIZE_MAX;
    if (bytes > peakBytes) {
        peakBytes = bytes;
    }
}

// Grows by half plus 500 records, so small skins need one allocation and big documents a
// logarithmic number of them.
uint32_t XmlDocument::AppendElement() {
    if (elementCount == elementCapacity) {
        uint64_t grown = static_cast<uint64_t>(elementCapacity) + elementCapacity / 2 + 500;
        if (grown > UINT32_MAX / sizeof(XmlElementRecord)) {
            return 0;
        }
        NoteHeld(elementCapacity + grown);  // a realloc that moves holds both blocks for a moment
        void* table = realloc(elements, static_cast<size_t>(grown) * sizeof(XmlElementRecord));
        if (table == nullptr) {
            return 0;
        }
        elements = static_cast<XmlElementRecord*>(table);
        elementCapacity = static_cast<uint32_t>(grown);
        ++tableGrowths;
    }
    memset(&elements[elementCount], 0, sizeof(XmlElementRecord));
    return elementCount++;
}

void XmlDocument::SetError(const wchar_t* message, const wchar_t* location) {
    CopyBounded(errorText, kErrorTextCapacity, message);
    CopyBounded(errorContext, kErrorContextCapacity, location);
}

void XmlDocument::ClearError() {
    errorText[0] = L'\0';
    errorContext[0] = L'\0';
}
