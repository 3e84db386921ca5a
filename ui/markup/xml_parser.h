#pragma once
// The in-place parser of the skin XML subset: elements, attributes in double quotes, character
// data with the five named entities, comments and processing instructions.

#include "ui/markup/xml_chars.h"
#include "ui/markup/xml_document.h"

// Deeper nesting is refused: the parser descends recursively and a hostile document must not be
// able to exhaust the stack.
constexpr int kMaxXmlNesting = 1000;

// Parses document.text (already loaded) into document.elements, cutting names and values in
// place. On failure the error buffers are filled and false is returned; the caller releases.
bool ParseXmlDocument(XmlDocument& document);
