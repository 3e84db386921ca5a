#include "updater/feed/xml_names.h"

#include <string>

namespace {

std::wstring_view PrefixOf(std::wstring_view name) {
    const std::size_t colon = name.find(L':');
    return colon == std::wstring_view::npos ? std::wstring_view() : name.substr(0, colon);
}

std::wstring_view LocalOf(std::wstring_view name) {
    const std::size_t colon = name.find(L':');
    return colon == std::wstring_view::npos ? name : name.substr(colon + 1);
}

}  // namespace

std::wstring_view XmlNamespaceAt(pugi::xml_node node, std::wstring_view prefix) {
    const std::wstring attribute = prefix.empty() ? std::wstring(L"xmlns") : L"xmlns:" + std::wstring(prefix);
    for (; node; node = node.parent()) {
        if (node.type() != pugi::node_element) continue;
        if (pugi::xml_attribute declared = node.attribute(attribute.c_str())) return declared.value();
    }
    return {};
}

bool XmlPrefixOf(pugi::xml_node node, std::wstring_view uri, std::wstring& prefix) {
    for (pugi::xml_node scope = node; scope; scope = scope.parent()) {
        for (pugi::xml_attribute a : scope.attributes()) {
            const std::wstring_view name = a.name();
            if (PrefixOf(name) != L"xmlns" || a.value() != uri) continue;
            // The binding counts only if no inner declaration hides it.
            if (XmlNamespaceAt(node, LocalOf(name)) != uri) continue;
            prefix = LocalOf(name);
            return true;
        }
    }
    return false;
}

bool XmlIs(pugi::xml_node node, std::wstring_view uri, std::wstring_view local) {
    if (node.type() != pugi::node_element) return false;
    const std::wstring_view name = node.name();
    return LocalOf(name) == local && XmlNamespaceAt(node, PrefixOf(name)) == uri;
}

pugi::xml_attribute XmlAttribute(pugi::xml_node node, std::wstring_view uri, std::wstring_view local) {
    for (pugi::xml_attribute a : node.attributes()) {
        const std::wstring_view name = a.name();
        const std::wstring_view prefix = PrefixOf(name);
        if (LocalOf(name) != local || prefix == L"xmlns") continue;
        if (uri.empty() ? prefix.empty() : (!prefix.empty() && XmlNamespaceAt(node, prefix) == uri)) return a;
    }
    return {};
}

pugi::xml_node XmlChild(pugi::xml_node parent, std::wstring_view uri, std::wstring_view local) {
    for (pugi::xml_node child : parent.children()) {
        if (XmlIs(child, uri, local)) return child;
    }
    return {};
}
