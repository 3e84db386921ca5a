#pragma once
// Namespace-aware names over pugixml's plain "prefix:local" names: an element or attribute is
// found by its namespace URI, through the xmlns declarations in scope, never by a fixed prefix.

#include <pugixml.hpp>

#include <string_view>

constexpr wchar_t kSparkleNamespace[] = L"http://www.andymatuschak.org/xml-namespaces/sparkle";
constexpr wchar_t kFeedNamespace[] = L"urn:updater:feed:1";

// The URI bound to `prefix` at `node` (empty prefix: the default namespace), or empty.
std::wstring_view XmlNamespaceAt(pugi::xml_node node, std::wstring_view prefix);
// The prefix bound to `uri` at `node`, searched outward; false when none is.
bool XmlPrefixOf(pugi::xml_node node, std::wstring_view uri, std::wstring& prefix);
bool XmlIs(pugi::xml_node node, std::wstring_view uri, std::wstring_view local);
// Unprefixed attributes belong to no namespace, whatever the element's default namespace is.
pugi::xml_attribute XmlAttribute(pugi::xml_node node, std::wstring_view uri, std::wstring_view local);
pugi::xml_node XmlChild(pugi::xml_node parent, std::wstring_view uri, std::wstring_view local);
