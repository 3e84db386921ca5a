// CWindowHostUI: the default font and the default attribute lists per control class.

#include "ui/core/window_host.h"

void CWindowHostUI::CreateDefaultFont() {
    LOGFONTW logFont = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfCharSet = DEFAULT_CHARSET;
    m_defaultFontOwner.Reset(CreateFontIndirectW(&logFont));
    m_defaultFont.font = m_defaultFontOwner.Get();
    m_defaultFont.faceName = logFont.lfFaceName;
    m_defaultFont.size = -logFont.lfHeight;
    m_defaultFont.bold = logFont.lfWeight >= FW_BOLD;
    m_defaultFont.underline = logFont.lfUnderline == 1;
    m_defaultFont.italic = logFont.lfItalic == 1;
    m_defaultFont.metrics = TEXTMETRICW{};
}

const FontRecord& CWindowHostUI::DefaultFontInfo() {
    if (m_defaultFont.metrics.tmHeight == 0 && m_paintDC.Get() && m_defaultFont.font) {
        CSelectScope select(m_paintDC.Get(), m_defaultFont.font);
        GetTextMetricsW(m_paintDC.Get(), &m_defaultFont.metrics);
    }
    return m_defaultFont;
}

void CWindowHostUI::SetClassDefaults(const wchar_t* className, const wchar_t* list) {
    if (!className || m_classDefaults.Find(className, false)) {
        return;
    }
    auto* copy = new CWideString(list ? list : L"");
    if (!m_classDefaults.Insert(className, copy)) {
        delete copy;
    }
}

const wchar_t* CWindowHostUI::ClassDefaults(const wchar_t* className) {
    auto* list = className ? static_cast<CWideString*>(m_classDefaults.Find(className)) : nullptr;
    return list ? list->GetData() : nullptr;
}

void CWindowHostUI::ClearClassDefaults() {
    for (int i = 0; i < m_classDefaults.GetSize(); ++i) {
        delete static_cast<CWideString*>(m_classDefaults.Find(m_classDefaults.GetAt(i), false));
    }
    m_classDefaults.Resize(83);
}
