#pragma once
// The parts of a skin that configure the window host rather than create controls: the resource
// declarations (Font, Image, Default) among the root's children, and the Window element's
// attributes.

class CXmlNode;
class CWindowHostUI;

// Applies one Font, Image or Default element; any other element is ignored.
void ApplyResourceDeclaration(const CXmlNode& element, CWindowHostUI& host);

// Applies the root element's attributes, in document order, to the host.
void ApplyWindowAttributes(const CXmlNode& window, CWindowHostUI& host);
