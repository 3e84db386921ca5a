// CWindowHostUI: the default font and the indexed table of further fonts, with text metrics
// computed once per font on first use.

#include <new>

#include "ui/core/window_host.h"

namespace {

constexpr LONG kBoldWeightIncrease = 700;
constexpr BYTE kClearTypeQuality = 5;

LOGFONTW StockGuiFont() {
    LOGFONTW logFont = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfCharSet = DEFAULT_CHARSET;
    return logFont;
}

// The stock GUI font changed as asked. The face field holds 32 characters with its
// terminator, so a longer name is cut to 31.
LOGFONTW RequestedFont(const wchar_t* name, int size, bool bold, bool underline, bool italic) {
    LOGFONTW logFont = StockGuiFont();
    const int capacity = LF_FACESIZE - 1;
    int length = 0;
    for (; name && length < capacity && name[length]; ++length) {
        logFont.lfFaceName[length] = name[length];
    }
    logFont.lfFaceName[length] = L'\0';
    logFont.lfHeight = -size;
    if (bold) {
        logFont.lfWeight += kBoldWeightIncrease;
    }
    if (underline) {
        logFont.lfUnderline = 1;
    }
    if (italic) {
        logFont.lfItalic = 1;
    }
    return logFont;
}

void FillRecord(FontRecord& record, HFONT font, const wchar_t* name, int size, bool bold, bool underline,
                bool italic) {
    record.font = font;
    record.faceName = name ? name : L"";
    record.size = size;
    record.bold = bold;
    record.underline = underline;
    record.italic = italic;
    record.metrics = TEXTMETRICW{};
}

bool SameFont(const FontRecord& record, const wchar_t* name, int size, bool bold, bool underline,
              bool italic) {
    return record.faceName == name && record.size == size && record.bold == bold &&
           record.underline == underline && record.italic == italic;
}

}  // namespace

void CWindowHostUI::CreateDefaultFont() {
    LOGFONTW logFont = StockGuiFont();
    m_defaultFontOwner.Reset(CreateFontIndirectW(&logFont));
    FillRecord(m_defaultFont, m_defaultFontOwner.Get(), logFont.lfFaceName, -logFont.lfHeight,
               logFont.lfWeight >= FW_BOLD, logFont.lfUnderline == 1, logFont.lfItalic == 1);
}

void CWindowHostUI::ComputeMetrics(FontRecord& record) const {
    if (record.metrics.tmHeight == 0 && m_paintDC.Get() && record.font) {
        CSelectScope select(m_paintDC.Get(), record.font);
        GetTextMetricsW(m_paintDC.Get(), &record.metrics);
    }
}

// Records keep the size in skin pixels (so a skin's size finds its font again); the font is made
// at the height the host's DPI asks for.
void CWindowHostUI::ReplaceDefaultFont(const wchar_t* name, int size, bool bold, bool underline,
                                       bool italic) {
    LOGFONTW logFont = RequestedFont(name, Scale(size), bold, underline, italic);
    HFONT font = CreateFontIndirectW(&logFont);
    if (!font) {
        return;
    }
    m_defaultFontOwner.Reset(font);
    m_skinDefaultFont = true;
    FillRecord(m_defaultFont, font, name, size, bold, underline, italic);
    ComputeMetrics(m_defaultFont);
}

HFONT CWindowHostUI::AddCustomFont(const wchar_t* name, int size, bool bold, bool underline, bool italic) {
    LOGFONTW logFont = RequestedFont(name, Scale(size), bold, underline, italic);
    logFont.lfQuality = kClearTypeQuality;
    CGdiObject<HFONT> font(CreateFontIndirectW(&logFont));
    if (!font) {
        return nullptr;
    }
    auto* record = new (std::nothrow) FontRecord;
    if (!record) {
        return nullptr;
    }
    FillRecord(*record, font.Get(), name, size, bold, underline, italic);
    if (!m_customFonts.Add(record)) {
        delete record;
        return nullptr;
    }
    ComputeMetrics(*record);
    return font.Release();
}

HFONT CWindowHostUI::FontAt(int index) {
    auto* record = static_cast<FontRecord*>(m_customFonts.GetAt(index));
    return record ? record->font : DefaultFontInfo().font;
}

const FontRecord& CWindowHostUI::FontInfoAt(int index) {
    auto* record = static_cast<FontRecord*>(m_customFonts.GetAt(index));
    if (!record) {
        return DefaultFontInfo();
    }
    ComputeMetrics(*record);
    return *record;
}

FontRecord* CWindowHostUI::OwnFontRecord(HFONT font) const {
    for (int i = 0; i < m_customFonts.GetSize(); ++i) {
        auto* record = static_cast<FontRecord*>(m_customFonts.GetAt(i));
        if (record->font == font) {
            return record;
        }
    }
    return nullptr;
}

FontRecord* CWindowHostUI::OwnFontRecord(const wchar_t* name, int size, bool bold, bool underline,
                                         bool italic) const {
    for (int i = 0; i < m_customFonts.GetSize(); ++i) {
        auto* record = static_cast<FontRecord*>(m_customFonts.GetAt(i));
        if (SameFont(*record, name, size, bold, underline, italic)) {
            return record;
        }
    }
    return nullptr;
}

const FontRecord& CWindowHostUI::FontInfoOf(HFONT font) {
    for (CWindowHostUI* host = this; font && host; host = host->m_resourceParent) {
        if (FontRecord* record = host->OwnFontRecord(font)) {
            host->ComputeMetrics(*record);
            return *record;
        }
    }
    return DefaultFontInfo();
}

HFONT CWindowHostUI::FindFont(const wchar_t* name, int size, bool bold, bool underline, bool italic) {
    for (CWindowHostUI* host = this; name && host; host = host->m_resourceParent) {
        if (FontRecord* record = host->OwnFontRecord(name, size, bold, underline, italic)) {
            return record->font;
        }
    }
    return nullptr;
}

const FontRecord& CWindowHostUI::DefaultFontInfo() {
    CWindowHostUI* top = TopHost();
    top->ComputeMetrics(top->m_defaultFont);
    return top->m_defaultFont;
}

void CWindowHostUI::ClearFonts() {
    for (int i = 0; i < m_customFonts.GetSize(); ++i) {
        auto* record = static_cast<FontRecord*>(m_customFonts.GetAt(i));
        DeleteObject(record->font);
        delete record;
    }
    m_customFonts.Empty();
}

// The fonts made again at the current DPI, in place: controls name fonts by index, so they
// pick up the new handles at their next paint. A font that cannot be made keeps the old one.
void CWindowHostUI::RescaleFonts() {
    for (int i = 0; i < m_customFonts.GetSize(); ++i) {
        auto* record = static_cast<FontRecord*>(m_customFonts.GetAt(i));
        LOGFONTW logFont = RequestedFont(record->faceName, Scale(record->size), record->bold,
                                         record->underline, record->italic);
        logFont.lfQuality = kClearTypeQuality;
        if (HFONT font = CreateFontIndirectW(&logFont)) {
            DeleteObject(record->font);
            record->font = font;
            record->metrics = TEXTMETRICW{};
        }
    }
    if (m_skinDefaultFont) {
        const FontRecord old = m_defaultFont;
        ReplaceDefaultFont(old.faceName, old.size, old.bold, old.underline, old.italic);
    }
}
