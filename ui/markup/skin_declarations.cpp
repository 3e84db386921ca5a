#include "ui/markup/skin_declarations.h"

#include <cwchar>

#include "ui/util/attribute_parse.h"
#include "ui/core/window_host.h"
#include "ui/markup/xml_reader.h"

namespace {

constexpr int kDefaultFontSize = 12;

bool Is(const wchar_t* a, const wchar_t* b) {
    return wcscmp(a, b) == 0;
}

// The value of the last occurrence of an attribute (declarations let a repeated attribute
// override an earlier one); null when absent.
const wchar_t* LastValue(const CXmlNode& element, const wchar_t* name) {
    const wchar_t* value = nullptr;
    for (int i = 0; i < element.AttrCount(); ++i) {
        if (Is(element.AttrName(i), name)) {
            value = element.AttrValue(i);
        }
    }
    return value;
}

bool LastBool(const CXmlNode& element, const wchar_t* name) {
    const wchar_t* value = LastValue(element, name);
    return value && attr::ParseBool(value);
}

void DeclareFont(const CXmlNode& element, CWindowHostUI& host) {
    const wchar_t* name = LastValue(element, L"name");
    if (!name) {
        return;
    }
    const wchar_t* sizeText = LastValue(element, L"size");
    int size = sizeText ? attr::ParseInt(sizeText) : kDefaultFontSize;
    bool bold = LastBool(element, L"bold");
    bool underline = LastBool(element, L"underline");
    bool italic = LastBool(element, L"italic");
    host.AddCustomFont(name, size, bold, underline, italic);
    if (LastBool(element, L"default")) {
        host.ReplaceDefaultFont(name, size, bold, underline, italic);
    }
}

void DeclareImage(const CXmlNode& element, CWindowHostUI& host) {
    const wchar_t* name = LastValue(element, L"name");
    if (!name) {
        return;
    }
    const wchar_t* mask = LastValue(element, L"mask");
    host.CacheImage(name, LastValue(element, L"restype"), mask ? attr::ParseColor(mask) : 0);
}

void DeclareClassDefaults(const CXmlNode& element, CWindowHostUI& host) {
    const wchar_t* name = LastValue(element, L"name");
    if (name) {
        const wchar_t* value = LastValue(element, L"value");
        host.SetClassDefaults(name, value ? value : L"");
    }
}

using WindowAttributeHandler = void (*)(CWindowHostUI& host, const wchar_t* value);

struct WindowAttribute {
    const wchar_t* name;
    WindowAttributeHandler apply;
};

const WindowAttribute kWindowAttributes[] = {
    {L"size",
     [](CWindowHostUI& h, const wchar_t* v) {
         SIZE s = attr::ParseSize(v);
         h.SetStartSize(s.cx, s.cy);
     }},
    {L"sizebox", [](CWindowHostUI& h, const wchar_t* v) { h.SetSizeBox(attr::ParseRect(v)); }},
    {L"caption", [](CWindowHostUI& h, const wchar_t* v) { h.SetCaptionRect(attr::ParseRect(v)); }},
    {L"roundcorner",
     [](CWindowHostUI& h, const wchar_t* v) {
         SIZE s = attr::ParseSize(v);
         h.SetRoundCorner(s.cx, s.cy);
     }},
    {L"mininfo",
     [](CWindowHostUI& h, const wchar_t* v) {
         SIZE s = attr::ParseSize(v);
         h.SetMinTrackSize(s.cx, s.cy);
     }},
    {L"maxinfo",
     [](CWindowHostUI& h, const wchar_t* v) {
         SIZE s = attr::ParseSize(v);
         h.SetMaxTrackSize(s.cx, s.cy);
     }},
    {L"showdirty", [](CWindowHostUI& h, const wchar_t* v) { h.SetShowDirty(attr::ParseBool(v)); }},
    {L"alpha", [](CWindowHostUI& h, const wchar_t* v) { h.SetTransparency(attr::ParseInt(v)); }},
    {L"bktrans", [](CWindowHostUI& h, const wchar_t* v) { h.SetLayeredPaint(attr::ParseBool(v)); }},
    {L"disabledfontcolor",
     [](CWindowHostUI& h, const wchar_t* v) { h.SetDisabledFontColor(attr::ParseColor(v)); }},
    {L"defaultfontcolor",
     [](CWindowHostUI& h, const wchar_t* v) { h.SetDefaultFontColor(attr::ParseColor(v)); }},
    {L"linkfontcolor", [](CWindowHostUI& h, const wchar_t* v) { h.SetLinkFontColor(attr::ParseColor(v)); }},
    {L"linkhoverfontcolor",
     [](CWindowHostUI& h, const wchar_t* v) { h.SetLinkHoverFontColor(attr::ParseColor(v)); }},
    {L"selectedcolor", [](CWindowHostUI& h, const wchar_t* v) { h.SetSelectedColor(attr::ParseColor(v)); }},
    {L"shadowsize", [](CWindowHostUI& h, const wchar_t* v) { h.DropShadow().size = attr::ParseInt(v); }},
    {L"shadowsharpness",
     [](CWindowHostUI& h, const wchar_t* v) { h.DropShadow().sharpness = attr::ParseInt(v); }},
    {L"shadowdarkness",
     [](CWindowHostUI& h, const wchar_t* v) { h.DropShadow().darkness = attr::ParseInt(v); }},
    {L"shadowposition",
     [](CWindowHostUI& h, const wchar_t* v) {
         SIZE s = attr::ParseSize(v);
         h.DropShadow().position = {s.cx, s.cy};
     }},
    {L"shadowcolor", [](CWindowHostUI& h, const wchar_t* v) { h.DropShadow().color = attr::ParseColor(v); }},
    {L"shadowcorner", [](CWindowHostUI& h, const wchar_t* v) { h.DropShadow().corner = attr::ParseRect(v); }},
    {L"shadowimage", [](CWindowHostUI& h, const wchar_t* v) { h.DropShadow().image = v; }},
    {L"showshadow", [](CWindowHostUI& h, const wchar_t* v) { h.DropShadow().show = attr::ParseBool(v); }},
    {L"gdiplustext", [](CWindowHostUI& h, const wchar_t* v) { h.SetGdiplusText(attr::ParseBool(v)); }},
};

}  // namespace

void ApplyResourceDeclaration(const CXmlNode& element, CWindowHostUI& host) {
    const wchar_t* tag = element.Tag();
    if (Is(tag, L"Font")) {
        DeclareFont(element, host);
    } else if (Is(tag, L"Image")) {
        DeclareImage(element, host);
    } else if (Is(tag, L"Default")) {
        DeclareClassDefaults(element, host);
    }
}

void ApplyWindowAttributes(const CXmlNode& window, CWindowHostUI& host) {
    for (int i = 0; i < window.AttrCount(); ++i) {
        const wchar_t* name = window.AttrName(i);
        for (const WindowAttribute& entry : kWindowAttributes) {
            if (Is(entry.name, name)) {
                entry.apply(host, window.AttrValue(i));
                break;
            }
        }
    }
}
