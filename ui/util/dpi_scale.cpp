#include "ui/util/dpi_scale.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>

#include "ui/util/attribute_parse.h"

namespace dpi {

namespace {

// How many numbers a length attribute holds. kStyleList: a name="value" list of its own;
// kBorder: one number for every side, or four when the value has a comma.
enum LengthKind { kOne = 1, kTwo = 2, kFour = 4, kBorder, kStyleList };

struct LengthAttribute {
    const wchar_t* name;
    LengthKind kind;
};

const LengthAttribute kLengthAttributes[] = {  // sorted by name: looked up for every attribute
    {L"borderround", kTwo},      {L"bordersize", kBorder},  {L"bottombordersize", kOne},
    {L"childpadding", kOne},     {L"height", kOne},         {L"hscrollbarstyle", kStyleList},
    {L"inset", kFour},           {L"itemsize", kTwo},       {L"leftbordersize", kOne},
    {L"linesize", kOne},         {L"maxheight", kOne},      {L"maxwidth", kOne},
    {L"minheight", kOne},        {L"minwidth", kOne},       {L"padding", kFour},
    {L"pos", kFour},             {L"rightbordersize", kOne}, {L"scrollstepsize", kOne},
    {L"sepheight", kOne},        {L"sepwidth", kOne},       {L"textpadding", kFour},
    {L"thumbsize", kTwo},        {L"topbordersize", kOne},  {L"vscrollbarstyle", kStyleList},
    {L"width", kOne},
};

const LengthAttribute* FindLengthAttribute(const wchar_t* name) {
    if (!name) {
        return nullptr;
    }
    const LengthAttribute* end = kLengthAttributes + sizeof(kLengthAttributes) / sizeof(kLengthAttributes[0]);
    const LengthAttribute* found = std::lower_bound(
        kLengthAttributes, end, name, [](const LengthAttribute& e, const wchar_t* n) { return wcscmp(e.name, n) < 0; });
    return found != end && wcscmp(found->name, name) == 0 ? found : nullptr;
}

bool IsSkinDpi(int dpi) {
    return dpi <= 0 || dpi == kSkinDpi;
}

CWideString ScaledNumbers(const wchar_t* value, int count, int dpi) {
    int numbers[4];
    attr::ParseIntList(value, numbers, count);
    CWideString text;
    for (int i = 0; i < count; ++i) {
        wchar_t part[16];
        swprintf(part, 16, i == 0 ? L"%d" : L",%d", ScaleLength(numbers[i], dpi));
        text += part;
    }
    return text;
}

}  // namespace

int ScaleLength(int value, int dpi, int fromDpi) {
    dpi = dpi <= 0 ? kSkinDpi : dpi;
    fromDpi = fromDpi <= 0 ? kSkinDpi : fromDpi;
    if (dpi == fromDpi) {
        return value;
    }
    int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
    int64_t scaled = (magnitude * dpi + fromDpi / 2) / fromDpi;
    if (value < 0) {
        scaled = -scaled;
    }
    return static_cast<int>(scaled < INT_MIN ? INT_MIN : (scaled > INT_MAX ? INT_MAX : scaled));
}

RECT ScaleRect(const RECT& rc, int dpi, int fromDpi) {
    return RECT{ScaleLength(rc.left, dpi, fromDpi), ScaleLength(rc.top, dpi, fromDpi),
                ScaleLength(rc.right, dpi, fromDpi), ScaleLength(rc.bottom, dpi, fromDpi)};
}

SIZE ScaleSize(SIZE size, int dpi) {
    return SIZE{ScaleLength(size.cx, dpi), ScaleLength(size.cy, dpi)};
}

bool IsLengthAttribute(const wchar_t* name) {
    return FindLengthAttribute(name) != nullptr;
}

CWideString ScaleAttributeValue(const wchar_t* name, const wchar_t* value, int dpi) {
    const LengthAttribute* entry = FindLengthAttribute(name);
    if (!value || !entry || IsSkinDpi(dpi)) {
        return CWideString(value ? value : L"");
    }
    switch (entry->kind) {
        case kStyleList:
            return ScaleAttributeList(value, dpi);
        case kBorder:
            return ScaledNumbers(value, wcschr(value, L',') ? 4 : 1, dpi);
        default:
            return ScaledNumbers(value, entry->kind, dpi);
    }
}

CWideString ScaleAttributeList(const wchar_t* list, int dpi) {
    if (!list || IsSkinDpi(dpi)) {
        return CWideString(list ? list : L"");
    }
    attr::CAttributeListReader reader(list);
    CWideString name;
    CWideString value;
    CWideString text;
    while (reader.Next(name, value)) {
        if (!text.IsEmpty()) {
            text += L' ';
        }
        text += name;
        text += L"=\"";
        text += ScaleAttributeValue(name, value, dpi);
        text += L'"';
    }
    return text;
}

int ImageVariantsFor(int dpi, ImageVariant* out, int capacity) {
    static const ImageVariant kVariants[] = {{L"@2x", 192}, {L"@1.5x", 144}};  // largest first
    int count = 0;
    auto add = [&](const ImageVariant& v) {
        if (count < capacity) out[count++] = v;
    };
    if (IsSkinDpi(dpi) || dpi < kSkinDpi) {
        add(ImageVariant{L"", kSkinDpi});
        return count;
    }
    // Variants not smaller than needed, smallest first; then the smaller ones, largest first.
    for (int i = 1; i >= 0; --i) {
        if (kVariants[i].dpi >= dpi) add(kVariants[i]);
    }
    for (const ImageVariant& v : kVariants) {
        if (v.dpi < dpi) add(v);
    }
    add(ImageVariant{L"", kSkinDpi});
    return count;
}

CWideString VariantName(const wchar_t* name, const wchar_t* suffix) {
    CWideString whole(name ? name : L"");
    int dot = whole.ReverseFind(L'.');
    int slash = whole.ReverseFind(L'/');
    int backslash = whole.ReverseFind(L'\\');
    if (dot < 0 || dot < slash || dot < backslash) {
        return whole + suffix;
    }
    CWideString result = whole.Left(dot);
    result += suffix;
    result += whole.Mid(dot);
    return result;
}

}  // namespace dpi
