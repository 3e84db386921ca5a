// CControlUI: skin attributes scaled to the display. The skin's own text of each length
// attribute is kept, so a later DPI change scales from it again instead of from an already
// rounded value (moving between monitors and back gives the same pixels).

#include <new>

#include "ui/controls/control.h"
#include "ui/core/window_host.h"
#include "ui/util/dpi_scale.h"

namespace {

// Remembered entries: name, unit separator, value, record separator. Neither separator can
// come from a skin (the XML reader refuses such control characters).
constexpr wchar_t kNameEnd = 0x1F;
constexpr wchar_t kEntryEnd = 0x1E;

}  // namespace

void CControlUI::ApplySkinAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (!dpi::IsLengthAttribute(name)) {
        SetAttribute(name, value);
        return;
    }
    if (!m_skinLengths) {
        m_skinLengths = new (std::nothrow) CWideString;
    }
    if (m_skinLengths) {  // without memory the length is still applied, only not re-scaled later
        *m_skinLengths += name;
        *m_skinLengths += kNameEnd;
        *m_skinLengths += value;
        *m_skinLengths += kEntryEnd;
    }
    const int dpi = m_host ? m_host->Dpi() : dpi::kSkinDpi;
    if (dpi == dpi::kSkinDpi) {
        SetAttribute(name, value);  // no copy of the value: the common case, and building is hot
    } else {
        SetAttribute(name, dpi::ScaleAttributeValue(name, value, dpi));
    }
}

void CControlUI::ApplySkinAttributeText(const wchar_t* list) {
    ApplyEachAttribute(list, &CControlUI::ApplySkinAttribute);
}

void CControlUI::RescaleSkinLengths() {
    if (!m_skinLengths) {
        return;
    }
    const CWideString lengths = *m_skinLengths;
    const int dpi = m_host ? m_host->Dpi() : dpi::kSkinDpi;
    for (int start = 0; start < lengths.GetLength();) {
        int nameEnd = lengths.Find(kNameEnd, start);
        int entryEnd = lengths.Find(kEntryEnd, start);
        if (nameEnd < 0 || entryEnd < nameEnd) {
            return;
        }
        CWideString name = lengths.Mid(start, nameEnd - start);
        CWideString value = lengths.Mid(nameEnd + 1, entryEnd - nameEnd - 1);
        SetAttribute(name, dpi::ScaleAttributeValue(name, value, dpi));
        start = entryEnd + 1;
    }
}
