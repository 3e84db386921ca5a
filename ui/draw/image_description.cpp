#include "ui/draw/image_description.h"

#include <climits>
#include <cstdint>
#include <cwchar>

#include "ui/util/attribute_parse.h"
#include "ui/util/dpi_scale.h"

namespace {

bool IsBlank(wchar_t ch) {
    return ch > 0 && ch <= L' ';
}

const wchar_t* SkipBlanks(const wchar_t* p) {
    while (IsBlank(*p)) {
        ++p;
    }
    return p;
}

// Skin numbers may be anything wcstol accepts; sums with the item rectangle must not wrap.
LONG ClampedSum(LONG a, LONG b) {
    int64_t sum = static_cast<int64_t>(a) + b;
    return static_cast<LONG>(sum < INT_MIN ? INT_MIN : (sum > INT_MAX ? INT_MAX : sum));
}

RECT ReadRect(const wchar_t* value) {
    int v[4];
    attr::ParseIntList(value, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

RECT DestInItem(const wchar_t* value, const RECT& item, int displayDpi, int textDpi) {
    RECT r = dpi::ScaleRect(ReadRect(value), displayDpi, textDpi);
    LONG right = ClampedSum(item.left, r.right);
    LONG bottom = ClampedSum(item.top, r.bottom);
    return RECT{ClampedSum(item.left, r.left), ClampedSum(item.top, r.top),
                right < item.right ? right : item.right, bottom < item.bottom ? bottom : item.bottom};
}

class CDescriptionReader {
public:
    CDescriptionReader(const RECT& item, ImageDrawParams& params, IImageDrawSink* sink)
        : m_item(item), m_params(params), m_sink(sink) {}

    void Read(const wchar_t* text) {
        const wchar_t* p = text;
        while (true) {
            p = SkipBlanks(p);
            const wchar_t* keyStart = p;
            while (*p != L'\0' && *p != L'=' && *p > L' ') {
                ++p;
            }
            CWideString key(keyStart, static_cast<int>(p - keyStart));
            p = SkipBlanks(p);
            if (*p != L'=') return;
            p = SkipBlanks(p + 1);
            if (*p != L'\'') return;
            const wchar_t* valueStart = ++p;
            while (*p != L'\0' && *p != L'\'') {
                ++p;
            }
            if (*p != L'\'') return;
            CWideString value(valueStart, static_cast<int>(p - valueStart));
            ++p;
            if (!value.IsEmpty()) {
                Apply(key, value);
            }
            if (p[0] != L' ' || p[1] == L'\0') return;
            ++p;
        }
    }

private:
    // A new image name or type first hands over the image read so far.
    void FlushNamedImage() {
        if (m_counter > 0 && m_sink) {
            m_sink->DrawImageNow(m_params);
        }
    }

    void Apply(const CWideString& key, const CWideString& value) {
        if (key == L"file") {
            FlushNamedImage();
            m_params.name = value;
            ++m_counter;
        } else if (key == L"res") {
            FlushNamedImage();
            m_params.name = value;
        } else if (key == L"restype") {
            FlushNamedImage();
            m_params.resourceType = value;
            ++m_counter;
        } else if (key == L"dest") {
            m_params.dest = DestInItem(value, m_item, m_params.dpi, m_params.textDpi);
        } else if (key == L"source") {
            m_params.source = ReadRect(value);
            m_params.sourceDpi = m_params.textDpi;
        } else if (key == L"corner") {
            m_params.corners = ReadRect(value);
        } else if (key == L"mask") {
            m_params.mask = attr::ParseColor(value);
        } else if (key == L"fade") {
            m_params.fade = static_cast<BYTE>(wcstol(value, nullptr, 10) & 0xFF);
        } else if (key == L"hole") {
            m_params.hole = attr::ParseBool(value);
        } else if (key == L"xtiled") {
            m_params.xtiled = attr::ParseBool(value);
        } else if (key == L"ytiled") {
            m_params.ytiled = attr::ParseBool(value);
        }
    }

    const RECT& m_item;
    ImageDrawParams& m_params;
    IImageDrawSink* m_sink;
    int m_counter = 0;
};

}  // namespace

void InitImageDrawParams(ImageDrawParams& params, const wchar_t* imageString, const RECT& item) {
    params = ImageDrawParams();
    params.name = imageString ? imageString : L"";
    params.dest = item;
}

void ReadImageDescription(const wchar_t* text, const RECT& item, ImageDrawParams& params,
                          IImageDrawSink* sink) {
    if (text == nullptr || *text == L'\0') {
        return;
    }
    CDescriptionReader(item, params, sink).Read(text);
}
